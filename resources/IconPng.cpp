// Renders the application's icon from its SVG into the PNG sizes desktops look for:
//   kv4420-icon ICON.svg OUTDIR   writes OUTDIR/NxN/apps/kv4420.png

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <cstdio>

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: kv4420-icon ICON.svg OUTDIR\n");
        return 2;
    }
    QSvgRenderer svg(QString::fromLocal8Bit(argv[1]));
    if (!svg.isValid()) {
        std::fprintf(stderr, "kv4420-icon: cannot read %s\n", argv[1]);
        return 1;
    }
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        svg.render(&p);
        p.end();
        const QString dir = QStringLiteral("%1/%2x%2/apps").arg(QString::fromLocal8Bit(argv[2])).arg(size);
        if (!QDir().mkpath(dir) || !image.save(dir + QStringLiteral("/kv4420.png"))) {
            std::fprintf(stderr, "kv4420-icon: cannot write %s\n", qPrintable(dir));
            return 1;
        }
    }
    return 0;
}
