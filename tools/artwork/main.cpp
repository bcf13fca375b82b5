// Draws every picture of the program into a resources folder:
//   zavel_artwork <resources folder>
// The pictures are kept in the repository; run this after changing how they are drawn, look at
// them, and commit them together with the change.
#include <QDir>
#include <QGuiApplication>
#include <QTextStream>

#include <cstdlib>

#include "tools/artwork/artwork.h"
#include "tools/artwork/palette_bmp.h"

namespace {

using zavel::artwork::ButtonFace;
using zavel::artwork::Command;

struct ButtonIds {
    Command command;
    const char* name;
    int normal;
    int pressed;
    int disabled;
};

// The resource ids of each button's pictures.
constexpr ButtonIds kButtons[] = {
    {Command::kAdd, "add", 263, 226, 272},        {Command::kRemove, "remove", 264, 265, 274},
    {Command::kExpand, "expand", 266, 267, 273},  {Command::kStop, "stop", 268, 269, 276},
    {Command::kSaveAs, "save-as", 271, 270, 275}, {Command::kBrowse, "browse", 277, 279, 278},
};

struct TreeIds {
    int id;
    const char* name;
};
constexpr TreeIds kTreeImages[] = {
    {217, "tree-failed"},       {218, "tree-pending"}, {219, "tree-fetched"},
    {220, "tree-not-expanded"}, {280, "tree-held"},
};

bool Check(bool ok, const QString& path) {
    QTextStream(ok ? stdout : stderr) << (ok ? "wrote " : "cannot write ") << path << "\n";
    return ok;
}

}  // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        QTextStream(stderr) << "usage: zavel_artwork <resources folder>\n";
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    out.mkpath(QStringLiteral("bitmaps"));
    out.mkpath(QStringLiteral("icons"));
    bool ok = true;
    auto bitmap = [&](int id, const QString& name) {
        return out.filePath(QStringLiteral("bitmaps/%1-%2.bmp").arg(id).arg(name));
    };
    using zavel::artwork::SavePaletteBmp;
    ok &= Check(
        SavePaletteBmp(zavel::artwork::DrawStartPicture(), bitmap(230, "start-screen"),
                       {zavel::artwork::StartPicturePaper(), zavel::artwork::StartPictureGlint()}),
        bitmap(230, "start-screen"));
    for (const ButtonIds& b : kButtons) {
        const QString name = QString::fromLatin1(b.name);
        const std::pair<int, ButtonFace> faces[] = {{b.normal, ButtonFace::kNormal},
                                                    {b.pressed, ButtonFace::kPressed},
                                                    {b.disabled, ButtonFace::kDisabled}};
        const char* suffix[] = {"normal", "pressed", "disabled"};
        for (int i = 0; i < 3; ++i) {
            const QString path = bitmap(faces[i].first, name + "-" + suffix[i]);
            ok &= Check(
                SavePaletteBmp(zavel::artwork::DrawButton(b.command, faces[i].second), path), path);
        }
    }
    // The installer's install button has a normal and a pressed picture; the pressed one also
    // stands for the disabled button.
    const std::pair<int, ButtonFace> installFaces[] = {{281, ButtonFace::kNormal},
                                                       {283, ButtonFace::kPressed}};
    for (const auto& [id, face] : installFaces) {
        const QString path =
            bitmap(id, face == ButtonFace::kNormal ? "install-normal" : "install-pressed");
        ok &=
            Check(SavePaletteBmp(zavel::artwork::DrawButton(Command::kInstall, face), path), path);
    }
    for (int i = 0; i < 5; ++i) {
        const QString path = bitmap(kTreeImages[i].id, QString::fromLatin1(kTreeImages[i].name));
        ok &= Check(SavePaletteBmp(zavel::artwork::DrawTreeImage(i), path), path);
    }
    const QString icon = out.filePath(QStringLiteral("icons/317-zavel.png"));
    ok &= Check(zavel::artwork::DrawProgramIcon(64).save(icon), icon);
    const QString cursor = out.filePath(QStringLiteral("icons/215-link-cursor.png"));
    ok &= Check(zavel::artwork::DrawLinkCursor().save(cursor), cursor);
    return ok ? EXIT_SUCCESS : EXIT_FAILURE;
}
