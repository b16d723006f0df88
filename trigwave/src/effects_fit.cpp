#include "effects_fit.h"

#include <cstdio>

bool effects_fit(const effects& fx, const crank_model& m) {
    if (fx.vr && m.teeth.empty()) {
        std::fprintf(stderr, "--vr is refused: this crank has no teeth for a VR sensor to see\n");
        return false;
    }
    if (fx.jitter > 0 && m.edges.empty()) {
        std::fprintf(stderr, "--jitter is refused: this crank has no edges to move\n");
        return false;
    }
    for (const fault& f : fx.faults) {
        if (f.kind != fault_kind::missing && f.kind != fault_kind::extra) continue;
        if (f.tooth > m.teeth_per_row) {
            std::fprintf(stderr, "--fault %s is refused: this wheel has %d teeth a %s\n", f.text.c_str(),
                         m.teeth_per_row, m.per_cycle ? "cycle" : "revolution");
            return false;
        }
    }
    if (!fx.faults.empty() && m.first_teeth.empty() && !m.from_cam) {
        std::fprintf(stderr, "--fault is refused: this crank has no teeth to count revolutions by\n");
        return false;
    }
    return true;
}
