#pragma once

#include <QObject>
#include <QString>
#include <atomic>
#include <thread>

#include "studio/ColorMap.h"
#include "studio/StudioRenderer.h"

namespace tilvex::ui {

// One studio render and its PNG, on a thread of its own; the quilt it renders
// is a copy, so the program goes on generating meanwhile.
class StudioExportJob : public QObject {
    Q_OBJECT
public:
    StudioExportJob(QuiltSnapshot quilt, studio::StudioSettings settings, studio::ColorMap colours, int period,
                    QString path, QObject* parent = nullptr);
    ~StudioExportJob() override;  // cancels and waits

    void Start();
    void Cancel() { cancelled_ = true; }
    double Done() const { return done_; }
    bool IsRunning() const { return running_; }

signals:
    // error: empty on success; cancelled: stopped before the file was written.
    void finished(const QString& error, bool cancelled);

private:
    void Run();

    QuiltSnapshot quilt_;
    studio::StudioSettings settings_;
    studio::ColorMap colours_;
    int period_;
    QString path_;
    std::thread thread_;
    std::atomic<bool> cancelled_{false};
    std::atomic<bool> running_{false};
    std::atomic<double> done_{0.0};
};

}  // namespace tilvex::ui
