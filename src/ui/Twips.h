#pragma once

class QWidget;

namespace keyrelay {

// Window geometry is given in twips (1/1440 inch): 15 twips to a pixel at 96 dpi. The
// conversion follows the screen's logical dpi so layouts keep their proportions.
class Twips {
public:
    // Logical dots per inch of the primary screen (96 when there is no screen).
    static double screenDpi();
    static int toPixels(int twips) { return toPixels(twips, screenDpi()); }
    static int toPixels(int twips, double dpi) {
        const double px = twips * dpi / 1440.0;
        return static_cast<int>(px >= 0 ? px + 0.5 : px - 0.5);
    }
    static int fromPixels(int pixels) { return fromPixels(pixels, screenDpi()); }

    // Places a control at a twip position and size in its parent.
    static void place(QWidget* control, int left, int top, int width, int height);
    // Moves a control to a twip top, keeping its left edge.
    static void setTop(QWidget* control, int top);
    static int fromPixels(int pixels, double dpi) {
        const double tw = pixels * 1440.0 / dpi;
        return static_cast<int>(tw >= 0 ? tw + 0.5 : tw - 0.5);
    }
};

}  // namespace keyrelay
