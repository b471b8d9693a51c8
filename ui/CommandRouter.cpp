#include "ui/CommandRouter.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <string>

#include "engine/TilvexApp.h"
#include "ui/IdleDriver.h"

namespace tilvex::ui {

namespace {
QString RecentKey(int i) { return QString::asprintf(std::string(ui_text::RecentFileKey).c_str(), i); }

constexpr CommandHandler kOrder[] = {CommandHandler::View, CommandHandler::Document, CommandHandler::Frame,
                                     CommandHandler::Application};
}  // namespace

CommandRouter::CommandRouter(CommandTarget* view, CommandTarget* document, CommandTarget* frame,
                             CommandTarget* application, IdleDriver* idle)
    : targets_{view, document, frame, application}, idle_(idle)
{
}

CommandHandler CommandRouter::Route(int id) const
{
    for (std::size_t i = 0; i < targets_.size(); ++i)
        if (targets_[i] && targets_[i]->HandlesCommand(id)) return kOrder[i];
    return CommandHandler::None;
}

CommandHandler CommandRouter::Dispatch(int id)
{
    CommandHandler handler = CommandHandler::None;
    Run([&] {
        for (std::size_t i = 0; i < targets_.size(); ++i) {
            if (targets_[i] && targets_[i]->HandlesCommand(id)) {
                targets_[i]->OnCommand(id);
                handler = kOrder[i];
                break;
            }
        }
    });
    return handler;
}

void CommandRouter::Run(const std::function<void()>& action)
{
    if (beforeCommand) beforeCommand();
    {
        IdleHold hold(idle_);
        action();
    }
    if (afterCommand) afterCommand();
}

void RecentFileList::Load(QSettings& settings)
{
    paths_.clear();
    settings.beginGroup(QString::fromUtf8(ui_text::RecentFileSection));
    for (int i = 1; i <= kSize; ++i) {
        QString path = settings.value(RecentKey(i)).toString();
        if (!path.isEmpty()) paths_.append(path);
    }
    settings.endGroup();
    if (changed) changed();
}

void RecentFileList::Save(QSettings& settings) const
{
    settings.beginGroup(QString::fromUtf8(ui_text::RecentFileSection));
    for (int i = 1; i <= kSize; ++i) {
        QString key = RecentKey(i);
        if (i <= paths_.size())
            settings.setValue(key, paths_[i - 1]);
        else
            settings.remove(key);
    }
    settings.endGroup();
}

void RecentFileList::Add(const QString& path)
{
    QString full = QFileInfo(path).absoluteFilePath();
    paths_.removeAll(full);
    paths_.prepend(full);
    while (paths_.size() > kSize) paths_.removeLast();
    if (changed) changed();
}

bool AppCommandTarget::HandlesCommand(int id) const
{
    switch (id) {
    case cmd::AppAbout:
    case cmd::FileOpen:
    case cmd::IterationStatus:
    case cmd::SetViewPeriod:
    case cmd::UseDetail:
    case cmd::UseTransformation:
    case cmd::SetMapping:
    case cmd::RandomNewQuilt:
    case cmd::ChooseQuiltFractal:
    case cmd::SaveImagePcx:
    case cmd::SaveImageBmp:
    case cmd::SaveImagePng: return true;
    default: break;
    }
    if (id >= cmd::FileMru1 && id <= cmd::FileMru4) return id - cmd::FileMru1 < recent_.Count();
    return false;
}

void AppCommandTarget::OnCommand(int id)
{
    switch (id) {
    case cmd::AppAbout: app_.OnAppAbout(); return;
    case cmd::FileOpen: app_.OnOpenSession(); return;
    case cmd::IterationStatus: app_.OnIterationStatus(); return;
    case cmd::SetViewPeriod:
        app_.OnSetViewPeriod();
        if (viewChanged) viewChanged();
        return;
    case cmd::UseDetail: app_.OnUseDetail(); return;
    case cmd::UseTransformation: app_.OnUseTransformation(); return;
    case cmd::SetMapping: app_.OnSetMapping(); return;
    case cmd::RandomNewQuilt: app_.RandomNewQuilt(); return;
    case cmd::ChooseQuiltFractal: app_.ChooseQuiltFractal(); return;
    case cmd::SaveImagePcx: app_.SaveImageAsPcx(); return;
    case cmd::SaveImageBmp: app_.SaveImageAsBmp(); return;
    case cmd::SaveImagePng: app_.SaveImageAsPng(); return;
    default: break;
    }
    if (id >= cmd::FileMru1 && id <= cmd::FileMru4 && id - cmd::FileMru1 < recent_.Count())
        app_.OnOpenRecent(QDir::toNativeSeparators(recent_.At(id - cmd::FileMru1)).toStdString());
}

}  // namespace tilvex::ui
