#pragma once
// The run's decimal separator, read once at start-up from the user's locale.

namespace marvento {

// The decimal symbol of the system locale (on Linux the locale that LC_ALL, LC_NUMERIC or LANG
// names); '.' when none is set or the symbol is not a single ASCII character.
char SeparatoreDecimaleDiSistema();

} // namespace marvento
