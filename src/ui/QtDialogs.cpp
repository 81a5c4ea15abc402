#include "ui/QtDialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QString>
#include <QStringList>
#include <cstdio>

#include "core/ProgramState.h"

namespace keyrelay {

namespace {

const QString Title = QStringLiteral("Keyrelay");

// "INI_Files (*.ini)|*.ini" -> "INI_Files (*.ini)": the part before each "|" is what the
// user reads, and it already carries the pattern Qt needs.
QString qtFilter(const std::string& filter) {
    const QStringList parts = QString::fromStdString(filter).split(QLatin1Char('|'));
    QStringList names;
    for (int i = 0; i < parts.size(); i += 2) {
        names << parts[i];
    }
    return names.join(QStringLiteral(";;"));
}

// One line on standard error for what no one can read on the screen.
void tellStandardError(const std::string& text, const char* answer) {
    const QString line = QString::fromStdString(text).replace(QLatin1Char('\n'), QLatin1Char(' '));
    std::fprintf(stderr, "keyrelay: %s%s\n", qPrintable(line), answer);
    std::fflush(stderr);
}

}  // namespace

QtDialogs::~QtDialogs() {
    for (const QPointer<QMessageBox>& box : notices_) {
        delete box.data();
    }
}

void QtDialogs::message(const std::string& text) {
    if (state_.NoOneToAsk) {
        tellStandardError(text, "");
        return;
    }
    QMessageBox::information(QApplication::activeWindow(), Title, QString::fromStdString(text));
}

void QtDialogs::notify(const std::string& text, std::function<void()> answered) {
    if (state_.NoOneToAsk) {  // the program is ending: no box, and no answer to wait for
        tellStandardError(text, "");
        return;
    }
    std::erase_if(notices_, [](const QPointer<QMessageBox>& box) { return box.isNull(); });
    auto* box = new QMessageBox(QMessageBox::Information, Title, QString::fromStdString(text),
                                QMessageBox::Ok);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::NonModal);
    QObject::connect(box, &QDialog::finished, box, [answered = std::move(answered)] {
        if (answered) {
            answered();
        }
    });
    notices_.emplace_back(box);
    box->show();
}

bool QtDialogs::askYesNo(const std::string& text) {
    if (state_.NoOneToAsk) {
        tellStandardError(text, " No (no one to answer).");
        return false;
    }
    return QMessageBox::question(QApplication::activeWindow(), Title, QString::fromStdString(text),
                                 QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

std::optional<std::string> QtDialogs::openFile(const FileDialogRequest& request) {
    if (state_.NoOneToAsk) {
        return std::nullopt;
    }
    const QString path = QFileDialog::getOpenFileName(
        QApplication::activeWindow(), QStringLiteral("Open"),
        QString::fromStdString(request.initialFolder), qtFilter(request.filter));
    if (path.isEmpty()) {
        return std::nullopt;
    }
    return path.toStdString();
}

std::optional<std::string> QtDialogs::saveFile(const FileDialogRequest& request) {
    if (state_.NoOneToAsk) {
        return std::nullopt;
    }
    QString start = QString::fromStdString(request.fileName);
    if (!request.initialFolder.empty()) {
        start = QString::fromStdString(request.initialFolder) + QLatin1Char('/') + start;
    }
    const QFileDialog::Options options =
        request.overwritePrompt ? QFileDialog::Options() : QFileDialog::DontConfirmOverwrite;
    const QString path =
        QFileDialog::getSaveFileName(QApplication::activeWindow(), QStringLiteral("Save As"), start,
                                     qtFilter(request.filter), nullptr, options);
    if (path.isEmpty()) {
        return std::nullopt;
    }
    return path.toStdString();
}

}  // namespace keyrelay
