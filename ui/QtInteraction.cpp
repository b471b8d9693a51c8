#include "ui/QtInteraction.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>

#include "ui/dialogs/Dialogs.h"

namespace tilvex::ui {

namespace {

template <typename Dialog, typename Fields>
bool Ask(Fields& f, QWidget* parent)
{
    Dialog dialog(f, parent);
    return dialog.exec() == QDialog::Accepted;
}

QMessageBox::Icon BoxIcon(MessageIcon icon)
{
    switch (icon) {
    case MessageIcon::None: return QMessageBox::NoIcon;
    case MessageIcon::Information: return QMessageBox::Information;
    case MessageIcon::Question: return QMessageBox::Question;
    case MessageIcon::Warning: return QMessageBox::Warning;
    case MessageIcon::Error: return QMessageBox::Critical;
    }
    return QMessageBox::NoIcon;
}

}  // namespace

QtInteraction::QtInteraction(QWidget* parent) : parent_(parent) {}

QtInteraction::~QtInteraction()
{
    while (waitCursors_ > 0) EndWaitCursor();
}

void QtInteraction::ShowMessage(const std::string& text, MessageIcon icon)
{
    QMessageBox box(BoxIcon(icon), QApplication::applicationDisplayName(), QString::fromStdString(text),
                    QMessageBox::Ok, parent_);
    box.exec();
}

void QtInteraction::ShowConvergedMessage()
{
    CConvergedDlg dialog(parent_);
    dialog.exec();
}

void QtInteraction::ShowAbout()
{
    CAboutBox dialog(parent_);
    dialog.exec();
}

bool QtInteraction::AskSquareQuilt(SquareQuiltFields& f) { return Ask<CSquareQuiltDlg>(f, parent_); }
bool QtInteraction::AskAllCoefficients(AllCoefficientsFields& f) { return Ask<CAllCoefficientsDlg>(f, parent_); }
bool QtInteraction::AskHexQuilt(HexQuiltFields& f) { return Ask<CHexQuiltDlg>(f, parent_); }
bool QtInteraction::AskHexDetail(HexDetailFields& f) { return Ask<CHexDetailDlg>(f, parent_); }
bool QtInteraction::AskCornerWild(CornerWildFields& f) { return Ask<CCornerWildDlg>(f, parent_); }
bool QtInteraction::AskStatus(StatusFields& f) { return Ask<CStatusDlg>(f, parent_); }
bool QtInteraction::AskViewPeriod(ViewPeriodFields& f) { return Ask<CViewPeriodDlg>(f, parent_); }
bool QtInteraction::AskUseDetail(UseDetailFields& f) { return Ask<CUseDetailDlg>(f, parent_); }
bool QtInteraction::AskTransform(TransformFields& f) { return Ask<CTransformDlg>(f, parent_); }
bool QtInteraction::AskSelectColor(SelectColorFields& f) { return Ask<CSelectColorDlg>(f, parent_); }

void QtInteraction::AskChooseMap(ChooseMapFields& f, ChooseMapModel& radios)
{
    CChooseMapDlg dialog(f, radios, parent_);
    dialog.exec();
}

bool QtInteraction::AskDensityPalette(DensityPaletteFields& f)
{
    // The dialog's Choose buttons ask through this object, like every other chooser.
    CDensityPaletteDlg dialog(
        f, [this](std::optional<std::uint32_t> initial, Rgb& chosen) { return AskColor(initial, chosen); }, parent_);
    return dialog.exec() == QDialog::Accepted;
}

bool QtInteraction::AskColor(std::optional<std::uint32_t> initial, Rgb& chosen)
{
    QWidget* over = QApplication::activeModalWidget();
    return ChooseColorWithQt(over ? over : parent_, initial, chosen);
}

QStringList NameFilters(const std::string& filter)
{
    const QString text = QString::fromStdString(filter);
    if (!text.contains(QLatin1Char('|'))) return text.trimmed().isEmpty() ? QStringList() : QStringList{text.trimmed()};
    QStringList parts = text.split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString description = parts[i].trimmed();
        QString patterns = parts[i + 1].trimmed();
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        if (description.isEmpty() && patterns.isEmpty()) break;
        if (description.endsWith(QStringLiteral("(%1)").arg(patterns)))
            filters << description;
        else
            filters << QStringLiteral("%1 (%2)").arg(description, patterns);
    }
    return filters;
}

std::optional<std::string> QtInteraction::AskFile(const FileDialogRequest& request, bool save)
{
    QFileDialog dialog(parent_, QString::fromStdString(request.title));
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : request.mustExist ? QFileDialog::ExistingFile
                                                                       : QFileDialog::AnyFile);
    const QStringList filters = NameFilters(request.filter);
    if (!filters.isEmpty()) dialog.setNameFilters(filters);
    QString suffix = QString::fromStdString(request.defaultExt);
    if (suffix.startsWith(QLatin1Char('.'))) suffix.remove(0, 1);
    dialog.setDefaultSuffix(suffix);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
    if (!request.initialName.empty()) dialog.selectFile(QString::fromStdString(request.initialName));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return dialog.selectedFiles().front().toStdString();
}

std::optional<std::string> QtInteraction::AskSaveFile(const FileDialogRequest& request)
{
    return AskFile(request, true);
}

std::optional<std::string> QtInteraction::AskOpenFile(const FileDialogRequest& request)
{
    return AskFile(request, false);
}

void QtInteraction::BeginWaitCursor()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    ++waitCursors_;
}

void QtInteraction::EndWaitCursor()
{
    if (waitCursors_ == 0) return;
    QApplication::restoreOverrideCursor();
    --waitCursors_;
}

}  // namespace tilvex::ui
