#pragma once
// What a reader knows of each row of its summary beyond the cells: what identifies the measurement
// or section in the simulator's network, and the running figures its mean came from.

#include "FigurePesate.h"

#include <optional>
#include <string>

namespace marvento {

struct RigaRiepilogo
{
    // The measurement's or section's own number, as the file writes it ("101", not the ordinal).
    std::string numero;
    // A section's name (in full where the file has it), a measurement's data collection points.
    std::string nome;
    // Vehicles and vehicle-weighted sum over every interval: the summary's mean is their quotient,
    // and the runs of one scenario are pooled by adding them.
    FigurePesate figure;
    // A result list's harmonic mean speed, where it has one: the vehicles and the sum of the
    // vehicles over the speed, pooled over runs the same way.
    std::optional<FigurePesate> armonica;
};

} // namespace marvento
