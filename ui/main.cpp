// tilvex: the desktop quilt generator.
#include <QApplication>
#include <QSettings>
#include <QStringList>
#include <QTemporaryDir>
#include <cstdint>
#include <cstdio>
#include <iostream>
#include <memory>
#include <optional>
#include <string_view>

#include "TilvexVersion.h"
#include "core/CommandTable.h"
#include "engine/QuiltControl.h"
#include "engine/TilvexApp.h"
#include "ui/MainFrame.h"
#include "ui/QtInteraction.h"
#include "ui/TilvexDoc.h"

namespace {

struct Options {
    std::optional<double> seed;
    long long measureSteps = 0;  // 0: the normal program
    std::optional<std::uint64_t> availableMemory;
    QString commandLine;
};

// Hidden options, for measurements and checks only: --seed S,
// --measure-idle-steps N, --available-memory BYTES. Everything else is the
// command line proper: a session to open.
bool ParseOptions(const QStringList& args, Options& o)
{
    QStringList rest;
    for (qsizetype i = 1; i < args.size(); ++i) {
        const QString& a = args[i];
        bool ok = true;
        if (a == QLatin1String("--seed") && i + 1 < args.size()) {
            o.seed = args[++i].toDouble(&ok);
            ok = ok && tilvex::IsAcceptedSeed(*o.seed);
        } else if (a == QLatin1String("--measure-idle-steps") && i + 1 < args.size())
            o.measureSteps = args[++i].toLongLong(&ok);
        else if (a == QLatin1String("--available-memory") && i + 1 < args.size())
            o.availableMemory = args[++i].toULongLong(&ok);
        else
            rest.append(a);
        if (!ok) {
            std::cerr << "tilvex: bad value for " << a.toStdString() << "\n";
            return false;
        }
    }
    o.commandLine = rest.join(QLatin1Char(' '));
    return true;
}

constexpr const char* kUsage =
    "Usage: tilvex [OPTION] [SESSION.qlt]\n"
    "The desktop quilt generator. Opens SESSION.qlt when one is given.\n"
    "\n"
    "Options:\n"
    "  --help     Print this help and exit\n"
    "  --version  Print the version and exit\n";

// Answered before any window system is needed, so they work without a display.
std::optional<int> AnswerInformationOptions(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        const std::string_view a = argv[i];
        if (a == "--version") {
            std::cout << "tilvex " TILVEX_VERSION "\n";
            return 0;
        }
        if (a == "--help" || a == "-h") {
            std::cout << kUsage;
            return 0;
        }
    }
    return std::nullopt;
}

// Measurements run unattended: every dialog is accepted as filled.
class UnattendedInteraction : public tilvex::AcceptingInteraction {
public:
    void ShowMessage(const std::string& text, tilvex::MessageIcon) override { std::cerr << "tilvex: " << text << "\n"; }
};

}  // namespace

int main(int argc, char** argv)
{
    if (auto answered = AnswerInformationOptions(argc, argv)) return *answered;
    QApplication qapp(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Tilvex"));
    // The application title: message boxes carry it, and the profile is kept under it.
    QCoreApplication::setApplicationName(QString::fromUtf8(tilvex::ui_text::AppTitle));
    // Lets the desktop match the window to its menu entry and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.tilvex.Tilvex"));

    Options options;
    if (!ParseOptions(QCoreApplication::arguments(), options)) return 2;
    const bool measuring = options.measureSteps > 0;

    tilvex::CTilvexApp app(options.seed);
    UnattendedInteraction unattended;
    tilvex::ui::QtInteraction startupUi(nullptr);
    tilvex::ScopedInteraction startup(app, measuring ? static_cast<tilvex::UserInteraction&>(unattended) : startupUi);
    if (!app.InitInstance(options.availableMemory.value_or(tilvex::AvailablePhysicalMemory()))) return 1;

    // Measurements leave the user's recent-file list alone (a scratch folder made
    // only for them: a killed program leaves nothing behind in the temp folder).
    std::optional<QTemporaryDir> scratch;
    if (measuring) scratch.emplace();
    std::unique_ptr<QSettings> settings =
        measuring ? std::make_unique<QSettings>(scratch->filePath(QStringLiteral("tilvex.ini")), QSettings::IniFormat)
                  : std::make_unique<QSettings>();

    int result = 0;
    {
        tilvex::ui::CMainFrame frame(app, *settings);
        tilvex::ui::QtInteraction frameUi(&frame);
        tilvex::ScopedInteraction framed(app, measuring ? static_cast<tilvex::UserInteraction&>(unattended) : frameUi);

        frame.RunCommand(tilvex::cmd::FileNew);
        frame.show();
        app.OpenCommandLine(options.commandLine.toStdString());

        if (measuring) {
            tilvex::SetIterationLimit(app, static_cast<int>(options.measureSteps));
            QObject::connect(&frame.Idle(), &tilvex::ui::IdleDriver::generationStopped, &qapp, [&] {
                const auto& idle = frame.Idle();
                double seconds = idle.SecondsAsking();
                std::printf(
                    "idle steps %lld in %.3f s: %.0f steps/s; quilt %s, iterationCount %d, maxCount %d, "
                    "filledCells %d, restarts %d\n",
                    idle.StepsTaken(), seconds, seconds > 0 ? idle.StepsTaken() / seconds : 0.0,
                    app.QuiltName().c_str(), app.counters.iterationCount, app.grid.maxCount, app.grid.FilledCells(),
                    app.counters.restarts);
                std::fflush(stdout);
                frame.close();
            });
        }
        frame.Idle().Start();
        result = qapp.exec();
    }
    app.ExitInstance();
    return result;
}
