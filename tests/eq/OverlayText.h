#pragma once
// Where an overlay's white text landed in a rendered panel: nothing else a panel draws is
// pure white, so the white pixels are the overlay.

#include <QImage>
#include <QRect>
#include <QWidget>
#include <cstdlib>

namespace kv::test {

struct WhiteText {
    int pixels = 0;
    QRect box;  // bounding box of the white pixels
};

inline WhiteText FindWhiteText(QWidget& panel) {
    QImage image(panel.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::black);
    panel.render(&image);
    WhiteText t;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) == 0xFFFFFFFFu) {
                ++t.pixels;
                t.box |= QRect(x, y, 1, 1);
            }
    return t;
}

}  // namespace kv::test
