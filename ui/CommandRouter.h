#pragma once

#include <QString>
#include <QStringList>
#include <array>
#include <functional>

#include "core/CommandTable.h"

class QSettings;

namespace tilvex {
class CTilvexApp;
}

namespace tilvex::ui {

class IdleDriver;

// Something that carries out commands: the view, the document, the frame or
// the application.
class CommandTarget {
public:
    virtual ~CommandTarget() = default;
    virtual bool HandlesCommand(int id) const = 0;
    virtual void OnCommand(int id) = 0;
};

// Offers each command to the view, the document, the frame and the
// application, in that order; the first that handles it carries it out. No
// steps are taken while a command runs, and the idle driver is woken after it.
class CommandRouter {
public:
    CommandRouter(CommandTarget* view, CommandTarget* document, CommandTarget* frame, CommandTarget* application,
                  IdleDriver* idle);

    // Who carried the command out; None when nobody handles it.
    CommandHandler Dispatch(int id);
    CommandHandler Route(int id) const;
    // Runs an action the way a command runs: no steps meanwhile, then afterCommand.
    void Run(const std::function<void()>& action);
    bool IsEnabled(int id) const { return Route(id) != CommandHandler::None; }

    // Called before and after every dispatched command (the undo history
    // compares the quilt; menus and toolbar refresh).
    std::function<void()> beforeCommand;
    std::function<void()> afterCommand;

private:
    std::array<CommandTarget*, 4> targets_;
    IdleDriver* idle_;
};

// The four most recently saved sessions, newest first, kept in the profile
// section "Recent File List" under "File1" ... "File4".
class RecentFileList {
public:
    static constexpr int kSize = cmd::RecentFileCount;

    void Load(QSettings& settings);
    void Save(QSettings& settings) const;
    void Add(const QString& path);
    int Count() const { return static_cast<int>(paths_.size()); }
    QString At(int index) const { return paths_.value(index); }

    std::function<void()> changed;

private:
    QStringList paths_;
};

// The application's own commands: opening sessions, the recent files and the
// Quilt menu commands that change generation settings, and About.
class AppCommandTarget : public CommandTarget {
public:
    AppCommandTarget(CTilvexApp& app, RecentFileList& recent) : app_(app), recent_(recent) {}

    bool HandlesCommand(int id) const override;
    void OnCommand(int id) override;

    // After a display-only change (the view period) the view repaints.
    std::function<void()> viewChanged;

private:
    CTilvexApp& app_;
    RecentFileList& recent_;
};

}  // namespace tilvex::ui
