#include <QFile>
#include <QFileDialog>
#include <QFileInfo>

#include <algorithm>

#include "ui/control_text.h"
#include "ui/save_as.h"

namespace zavel {

QStringList SaveFileTypeChoices() {
    // Each choice is its label followed by the patterns the dialog filters with; the dialog
    // shows the label alone. "All files" means every file here, with or without an extension.
    return {
        QStringLiteral("html files (*.htm, *.html) (*.htm *.html)"),
        QStringLiteral("graphic files (*.gif, *.jpg, *.jpe) (*.gif *.jpg *.jpe)"),
        QStringLiteral("all files (*.*) (*)"),
    };
}

std::optional<std::string> StandardSaveDialog(QWidget* owner, const SaveDialogSettings& settings) {
    QFileDialog dialog(owner);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::HideNameFilterDetails, true);
    dialog.setDefaultSuffix(QString());
    dialog.setNameFilters(settings.fileTypeChoices);
    if (!settings.fileTypeChoices.isEmpty()) {
        dialog.selectNameFilter(settings.fileTypeChoices.first());
    }
    dialog.selectFile(ToControl(settings.proposedName));
    if (settings.chosenChoice != nullptr) {
        // The choice decides what is written: the name's extension follows it.
        QObject::connect(
            &dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString& filter) {
                const QString patterns = filter.mid(filter.lastIndexOf(QLatin1Char('(')) + 1);
                const QString first = patterns.section(QLatin1Char(' '), 0, 0);
                const QStringList names = dialog.selectedFiles();
                if (!first.startsWith(QStringLiteral("*.")) || names.isEmpty()) {
                    return;
                }
                const QFileInfo name(names.first());
                if (!name.fileName().isEmpty()) {
                    dialog.selectFile(name.completeBaseName() +
                                      first.mid(1).remove(QLatin1Char(')')));
                }
            });
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    if (settings.chosenChoice != nullptr) {
        *settings.chosenChoice = std::max(
            0, static_cast<int>(settings.fileTypeChoices.indexOf(dialog.selectedNameFilter())));
    }
    return QFile::encodeName(dialog.selectedFiles().first()).toStdString();
}

}  // namespace zavel
