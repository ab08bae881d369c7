#include "PreviewLoader.h"

#include "PictureFile.h"

#include <QMetaObject>
#include <QThreadPool>

#include <atomic>
#include <mutex>

namespace kdx {

// What the decoding threads share with the loader: the number of the request asked for last, and
// the loader itself while it lives, under a lock, so that no result reaches a loader that is gone.
struct PreviewLoader::Channel {
    std::atomic<unsigned> latest {0};
    std::mutex lock;
    PreviewLoader* loader = nullptr;
};

PreviewLoader::PreviewLoader(QObject* parent) : QObject(parent), channel_(std::make_shared<Channel>())
{
    channel_->loader = this;
}

PreviewLoader::~PreviewLoader()
{
    const std::lock_guard<std::mutex> hold(channel_->lock);
    channel_->loader = nullptr;
    ++channel_->latest;
}

void PreviewLoader::Drop()
{
    ++channel_->latest;
    busy_ = false;
}

void PreviewLoader::Load(const std::string& path, Shown shown, Failed failed)
{
    const unsigned request = ++channel_->latest;
    busy_ = true;
    QThreadPool::globalInstance()->start([channel = channel_, request, path, shown, failed] {
        if (channel->latest != request)
            return; // moved past before it started
        QImage picture;
        std::string error;
        try {
            picture = LoadPicture(path);
        } catch (const std::exception& e) {
            error = e.what();
        }
        const std::lock_guard<std::mutex> hold(channel->lock);
        if (!channel->loader || channel->latest != request)
            return;
        QMetaObject::invokeMethod(
            channel->loader,
            [channel, request, picture = std::move(picture), error, shown, failed] {
                if (!channel->loader || channel->latest != request)
                    return;
                channel->loader->busy_ = false;
                if (error.empty())
                    shown(picture);
                else
                    failed(error);
            },
            Qt::QueuedConnection);
    });
}

} // namespace kdx
