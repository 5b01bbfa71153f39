#include "widgets/display_scale.h"

#include <algorithm>
#include <cstdlib>
#include <map>
#include <optional>
#include <utility>

namespace quillcrest {
namespace {

int DivideRounded(long long numerator, long long denominator) {
    const long long half = denominator / 2;
    return static_cast<int>(numerator >= 0 ? (numerator + half) / denominator : -((-numerator + half) / denominator));
}

// How far an edge placed from its neighbours may lie from its own scaled place.
constexpr int kMaxEdgeDrift = 1;

// One axis of a layout: every distinct coordinate is an edge; each box ties its far edge to its near one.
class AxisPlacement {
  public:
    explicit AxisPlacement(int dpi) : dpi_(dpi) {}

    void AddSpan(int start, int length) {
        ties_[start].push_back({start + length, ScaleToDpi(length, dpi_)});
        ties_[start + length].push_back({start, -ScaleToDpi(length, dpi_)});
    }

    // Places every edge, lowest coordinate first, so each group of tied edges is anchored at its lowest one.
    void Place() {
        for (const auto& [edge, unused] : ties_) {
            if (!placed_.count(edge))
                PlaceGroupFrom(edge);
        }
    }

    int At(int coordinate) const { return placed_.at(coordinate); }

  private:
    struct Tie {
        int other;
        int offset;  // scaled other minus scaled this
    };

    void PlaceGroupFrom(int anchor) {
        placed_[anchor] = ScaleToDpi(anchor, dpi_);
        std::vector<int> pending{anchor};
        while (!pending.empty()) {
            const int edge = pending.back();
            pending.pop_back();
            for (const Tie& tie : ties_[edge]) {
                if (placed_.count(tie.other))
                    continue;
                const int own = ScaleToDpi(tie.other, dpi_);
                const int tied = placed_[edge] + tie.offset;
                placed_[tie.other] = std::abs(tied - own) <= kMaxEdgeDrift ? tied : own;
                pending.push_back(tie.other);
            }
        }
    }

    int dpi_;
    std::map<int, std::vector<Tie>> ties_;
    std::map<int, int> placed_;
};

}  // namespace

int ScaleToDpi(int length, int dpi) {
    return DivideRounded(static_cast<long long>(length) * dpi, kDesignDpi);
}

int ScaleFromDpi(int length, int dpi) {
    return dpi > 0 ? DivideRounded(static_cast<long long>(length) * kDesignDpi, dpi) : length;
}

std::vector<LayoutBox> ScaleLayout(const std::vector<LayoutBox>& boxes, int dpi) {
    AxisPlacement across(dpi);
    AxisPlacement down(dpi);
    for (const LayoutBox& box : boxes) {
        across.AddSpan(box.x, box.width);
        down.AddSpan(box.y, box.height);
    }
    across.Place();
    down.Place();
    std::vector<LayoutBox> scaled;
    scaled.reserve(boxes.size());
    for (const LayoutBox& box : boxes) {
        const int left = across.At(box.x);
        const int top = down.At(box.y);
        scaled.push_back({left, top, across.At(box.Right()) - left, down.At(box.Bottom()) - top});
    }
    return scaled;
}

int WidthForText(int scaledWidth, int textWidth, int decorationWidth) {
    return std::max(scaledWidth, textWidth + decorationWidth);
}

}  // namespace quillcrest
