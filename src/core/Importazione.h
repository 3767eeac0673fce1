#pragma once
// The importers of the two simulation output files and the travel-time correction.
// They work on core grids; failures leave the grids as far as the import got.

#include "Griglia.h"
#include "ListaRighe.h"

#include <functional>
#include <string>

namespace marvento {

// Section-speed file (.mes) into the detail table and the summary.
void ImportaVelocita(const ListaRighe& righe, Griglia& tabella, Griglia& riepilogo, char separatore);

// Link travel-time file (.rsz) into the summary and the detail table.
void ImportaArchi(const ListaRighe& righe, Griglia& tabella, Griglia& riepilogo, char separatore);

// Scales each mean travel time of the summary to the real length in column 4, into column 5.
// messaggio shows "Manca la lunghezza della sezione N" and returns when dismissed.
void CorreggiTempi(Griglia& riepilogo, char separatore,
                   const std::function<void(const std::string&)>& messaggio);

} // namespace marvento
