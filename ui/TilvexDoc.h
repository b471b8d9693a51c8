#pragma once

#include <QObject>
#include <QString>

#include "ui/CommandRouter.h"

namespace tilvex {
class CTilvexApp;
}

namespace tilvex::ui {

// The document holds no quilt data: File New asks for a new quilt, File Save
// writes the application's session. It keeps only the name the session was
// last saved under, for the title bar.
class CTilvexDoc : public QObject, public CommandTarget {
    Q_OBJECT
public:
    CTilvexDoc(CTilvexApp& app, RecentFileList& recent, QObject* parent = nullptr);

    bool HandlesCommand(int id) const override;
    void OnCommand(int id) override;

    // File New: a fresh untitled document, then the new-quilt dialogs.
    void OnFileNew();
    void OnFileSave();
    void OnFileSaveAs();

    bool OnNewDocument();
    // Writes the session; false (already reported) when the file could not be written.
    bool OnSaveDocument(const QString& path);
    void Serialize() {}

    const QString& Title() const { return title_; }
    const QString& PathName() const { return path_; }

signals:
    void titleChanged(const QString& title);

private:
    bool DoSave(const QString& path);
    void SetPathName(const QString& path);
    void SetTitle(const QString& title);

    CTilvexApp& app_;
    RecentFileList& recent_;
    QString title_;
    QString path_;
};

}  // namespace tilvex::ui
