#include "ui/TilvexDoc.h"

#include <QFileInfo>

#include "engine/TilvexApp.h"

namespace tilvex::ui {

CTilvexDoc::CTilvexDoc(CTilvexApp& app, RecentFileList& recent, QObject* parent)
    : QObject(parent), app_(app), recent_(recent), title_(QString::fromUtf8(ui_text::DocumentName))
{
}

bool CTilvexDoc::HandlesCommand(int id) const
{
    return id == cmd::FileNew || id == cmd::FileSave || id == cmd::FileSaveAs;
}

void CTilvexDoc::OnCommand(int id)
{
    switch (id) {
    case cmd::FileNew: OnFileNew(); break;
    case cmd::FileSave: OnFileSave(); break;
    case cmd::FileSaveAs: OnFileSaveAs(); break;
    default: break;
    }
}

void CTilvexDoc::OnFileNew()
{
    path_.clear();
    SetTitle(QString::fromUtf8(ui_text::DocumentName));
    OnNewDocument();
}

bool CTilvexDoc::OnNewDocument()
{
    app_.ChooseQuiltFractal();
    return true;
}

void CTilvexDoc::OnFileSave() { DoSave(path_); }

void CTilvexDoc::OnFileSaveAs() { DoSave(QString()); }

bool CTilvexDoc::DoSave(const QString& path)
{
    QString target = path;
    if (target.isEmpty()) {
        // The proposed name: the document's title with the session extension.
        QString proposed = title_;
        QString ext = QString::fromUtf8(ui_text::SessionExtension);
        if (QFileInfo(proposed).suffix().isEmpty()) proposed += ext;
        FileDialogRequest request{"Save As", ext.toStdString(), proposed.toStdString(),
                                  std::string(ui_text::SessionFilter), false};
        auto chosen = app_.ui->AskSaveFile(request);
        if (!chosen) return false;
        target = QString::fromStdString(*chosen);
    }
    if (!OnSaveDocument(target)) return false;
    SetPathName(target);
    return true;
}

bool CTilvexDoc::OnSaveDocument(const QString& path) { return app_.SaveSession(path.toStdString()); }

void CTilvexDoc::SetPathName(const QString& path)
{
    path_ = QFileInfo(path).absoluteFilePath();
    recent_.Add(path_);
    SetTitle(QFileInfo(path_).fileName());
}

void CTilvexDoc::SetTitle(const QString& title)
{
    title_ = title;
    emit titleChanged(title_);
}

}  // namespace tilvex::ui
