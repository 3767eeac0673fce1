// marvento-cli: batch work on the same core as the window.
int main()
{
    return 0;
}
