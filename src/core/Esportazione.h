#pragma once
// The tab-delimited export of a grid, and writing a file without ever damaging the one it replaces.

#include "Griglia.h"

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace marvento {

// The bytes of the export: header line and one line per row, TAB between fields, CR LF after
// every line, Windows-1252. A grid without columns fails with "Column index, 0, out of bounds".
std::string TestoTabulato(const Griglia& griglia);

// Writes the bytes to a temporary file in the same folder and renames it over percorso when
// complete. Fails with "Cannot create file "%s". %s" or "Stream write error"; on failure the
// existing file keeps its content and no temporary file is left.
void ScriviFileIntero(const std::string& percorso, std::string_view byte);

// The same guarantees for a writer that opens the file by its name: scrivi receives the path of a new,
// empty temporary file in the target's folder (UTF-8), writes the whole file there and fails with
// Errore; the file then replaces percorso. A device as the target (a terminal, /dev/stdout) gets
// the bytes copied from a temporary file in the system's temporary folder. On failure the
// existing file keeps its content and no temporary file is left.
void ScriviFileTramite(const std::string& percorso, const std::function<void(const std::string&)>& scrivi);

// ScriviFileIntero(percorso, TestoTabulato(griglia)) without the whole text in memory: the rows go
// to the temporary file a block at a time. The same bytes, failures and guarantees; a grid without
// columns fails before any file is touched.
void ScriviTabulato(const Griglia& griglia, const std::string& percorso);

} // namespace marvento
