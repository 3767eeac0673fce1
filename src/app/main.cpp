// Start-up: the application object, the main window, then the hidden diagram window.
#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    return 0;
}
