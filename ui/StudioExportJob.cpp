#include "ui/StudioExportJob.h"

#include <QMetaObject>

#include "studio/StudioPng.h"

namespace tilvex::ui {

StudioExportJob::StudioExportJob(QuiltSnapshot quilt, studio::StudioSettings settings, studio::ColorMap colours,
                                 int period, QString path, QObject* parent)
    : QObject(parent),
      quilt_(std::move(quilt)),
      settings_(settings),
      colours_(colours),
      period_(period),
      path_(std::move(path))
{
}

StudioExportJob::~StudioExportJob()
{
    cancelled_ = true;
    if (thread_.joinable()) thread_.join();
}

void StudioExportJob::Start()
{
    running_ = true;
    thread_ = std::thread([this] { Run(); });
}

void StudioExportJob::Run()
{
    auto image = studio::RenderStudioTile(quilt_, settings_, colours_, [this](double done) {
        done_ = done;
        return !cancelled_;
    });
    QString error;
    const bool cancelled = !image || cancelled_;
    if (!cancelled) error = QString::fromStdString(studio::WriteStudioPng(*image, period_, path_.toStdString()));
    running_ = false;
    QMetaObject::invokeMethod(this, [this, error, cancelled] { emit finished(error, cancelled); }, Qt::QueuedConnection);
}

}  // namespace tilvex::ui
