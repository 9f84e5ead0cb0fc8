// Writes the hicolor theme's PNG icons from the program's .ico, which holds
// the icon drawn at 32 and at 16 pixels. A size the .ico lacks is scaled from
// the largest drawing without smoothing, so the display's digits keep their
// hard pixel edges instead of blurring.
//
//   qmx_make_icons ICO OUTPUT_DIR SIZE...    writes OUTPUT_DIR/SIZE.png
#include <QCoreApplication>
#include <QImage>
#include <QImageReader>

#include <cstdio>
#include <map>

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    const QStringList args = application.arguments();
    if (args.size() < 4) {
        std::fprintf(stderr, "usage: qmx_make_icons ICO OUTPUT_DIR SIZE...\n");
        return 2;
    }

    std::map<int, QImage> drawn;
    QImageReader reader(args[1]);
    do {
        QImage image = reader.read();
        if (image.isNull()) {
            std::fprintf(stderr, "qmx_make_icons: %s: %s\n", qPrintable(args[1]), qPrintable(reader.errorString()));
            return 1;
        }
        drawn[image.width()] = image.convertToFormat(QImage::Format_ARGB32);
    } while (reader.jumpToNextImage());

    for (qsizetype i = 3; i < args.size(); ++i) {
        const int size = args[i].toInt();
        const auto exact = drawn.find(size);
        const QImage icon = exact != drawn.end() ? exact->second
                                                 : drawn.rbegin()->second.scaled(size, size, Qt::IgnoreAspectRatio,
                                                                                 Qt::FastTransformation);
        const QString file = args[2] + "/" + args[i] + ".png";
        if (!icon.save(file, "PNG")) {
            std::fprintf(stderr, "qmx_make_icons: cannot write %s\n", qPrintable(file));
            return 1;
        }
    }
    return 0;
}
