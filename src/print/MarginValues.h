#pragma once

namespace quittora {

// The printer margin values `xwert`/`ywert` in millimetres: where the
// printer's printable area begins, measured from the paper's left and top
// edges. Drawing subtracts them, so a point given from the paper's corner
// lands there when they equal the printer's physical offsets. Larger values
// move everything left and up.
struct MarginValues {
    float xwert = 0.0f;
    float ywert = 0.0f;

    bool operator==(const MarginValues&) const = default;
};

} // namespace quittora
