// Run at build time: writes, as a C++ header, the pixels of Fusion's group-box frame from the Qt
// the program is built against, so that the running clock draws it without decoding a PNG (and
// without mapping libpng and zlib for one small picture).
#include <QApplication>
#include <QImage>
#include <QImageReader>

#include <cstdio>

int main(int argc, char **argv)
{
    if (argc != 2)
        return 2;
    FILE *out = std::fopen(argv[1], "w");
    if (!out)
        return 1;
    // The application registers the widgets library's pictures; no screen is needed for that.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QImageReader reader(QStringLiteral(":/qt-project.org/styles/commonstyle/images/fusion_groupbox.png"), "png");
    reader.setAutoDetectImageFormat(false);
    const QImage image = reader.read().convertToFormat(QImage::Format_ARGB32_Premultiplied);
    std::fprintf(out, "// Made by makeframe at build time; not to be edited.\n#pragma once\n\n");
    std::fprintf(out, "namespace toolkit::frame {\n");
    std::fprintf(out, "constexpr int kWidth = %d, kHeight = %d;\n", image.width(), image.height());
    std::fprintf(out, "alignas(4) constexpr unsigned char kPixels[] = {");
    for (int y = 0; y < image.height(); ++y) {
        const uchar *line = image.constScanLine(y);
        for (int x = 0; x < image.width() * 4; ++x)
            std::fprintf(out, "%s%u,", x % 16 ? " " : "\n    ", unsigned(line[x]));
    }
    std::fprintf(out, "%s};\n} // namespace toolkit::frame\n", image.isNull() ? " 0" : "\n");
    // Without the picture the header says so (no pixels) and the style draws the frame itself.
    return std::fclose(out) == 0 ? 0 : 1;
}
