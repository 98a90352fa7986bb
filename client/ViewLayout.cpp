#include "client/ViewLayout.h"

#include <algorithm>
#include <cmath>

namespace
{
constexpr double kNarrowestShape = 5.0 / 4.0;
constexpr double kWidestShape = 16.0 / 9.0;

int Round(double value)
{
    return static_cast<int>(std::lround(value));
}
} // namespace

ViewLayout LayoutForWindow(int pixelWidth, int pixelHeight)
{
    const double width = std::max(pixelWidth, 1), height = std::max(pixelHeight, 1);
    const double shape = std::clamp(width / height, kNarrowestShape, kWidestShape);
    ViewLayout layout;
    layout.units = {Round(kViewHeight * shape), kViewHeight};
    // The largest box of the view's shape that fits the window, centred.
    const double scale = std::min(height / kViewHeight, width / (kViewHeight * shape));
    const int viewWidth = std::min(Round(kViewHeight * shape * scale), pixelWidth);
    const int viewHeight = std::min(Round(kViewHeight * scale), pixelHeight);
    layout.pixels = {(pixelWidth - viewWidth) / 2, (pixelHeight - viewHeight) / 2, viewWidth, viewHeight};
    layout.pixelsPerUnit = static_cast<float>(scale);
    return layout;
}

void FitViewToWindow(ViewSize& view, int pixelWidth, int pixelHeight)
{
    if (pixelWidth <= 0 || pixelHeight <= 0)
        return;
    const ViewLayout layout = LayoutForWindow(pixelWidth, pixelHeight);
    view = layout.units;
    GetGraphics().SetView(layout.pixels, static_cast<float>(view.width), static_cast<float>(view.height),
                          layout.pixelsPerUnit);
}
