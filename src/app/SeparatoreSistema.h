#pragma once
// The run's decimal separator, read once at start-up from the user's locale.

namespace marvento {

// The decimal symbol of the system locale: on Linux that of the locale LC_ALL, LC_NUMERIC or LANG
// names, on Windows the decimal symbol of the regional settings, which Qt reads from the system.
// '.' when none is set or the symbol is not a single ASCII character.
char SeparatoreDecimaleDiSistema();

} // namespace marvento
