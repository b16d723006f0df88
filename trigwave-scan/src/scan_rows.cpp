#include "scan_rows.h"

const char* anomaly_name(anomaly_kind k) {
    static const char* const names[] = {"", "missing", "extra", "nosync", "nocam"};
    return names[static_cast<int>(k)];
}
