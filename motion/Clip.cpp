#include "motion/Clip.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <stdexcept>

#include "maps/QuiltKindNames.h"
#include "motion/KeyQuilt.h"
#include "studio/TileGeometry.h"

namespace tilvex::motion {

namespace {

// A growth film starts from this share of the budget.
constexpr double kFirstGrowthShare = 1.0 / 4096.0;

long long FrameCount(const ClipSettings& s) { return std::llround(s.seconds * s.fps); }

std::string KeyName(const std::vector<Keyframe>& keys, std::size_t k)
{
    std::string name = "key " + std::to_string(k + 1);
    if (!keys[k].label.empty()) name += " (" + keys[k].label + ")";
    return name;
}

std::string Seconds(double t)
{
    char text[32];
    std::snprintf(text, sizeof text, "%g", t);
    return text;
}

std::vector<double> TimesOfKeys(const std::vector<Keyframe>& keys, const ClipSettings& s)
{
    const std::size_t n = keys.size();
    std::vector<double> times = s.keyTimes;
    if (times.empty()) {
        const double step = s.loop ? s.seconds / static_cast<double>(n) : n > 1 ? s.seconds / static_cast<double>(n - 1) : 0.0;
        for (std::size_t k = 0; k < n; ++k) times.push_back(k + 1 == n && !s.loop && n > 1 ? s.seconds : step * k);
        return times;
    }
    if (times.size() != n)
        throw std::invalid_argument("--key-times gives " + std::to_string(times.size()) + " times for " +
                                    std::to_string(n) + " keys");
    for (std::size_t k = 0; k < n; ++k) {
        if (!(times[k] >= 0.0 && times[k] <= s.seconds))
            throw std::invalid_argument("--key-times: " + Seconds(times[k]) + " is not between 0 and the clip's " +
                                        Seconds(s.seconds) + " seconds");
        if (k > 0 && !(times[k] > times[k - 1]))
            throw std::invalid_argument("--key-times must increase from key to key");
    }
    if (s.loop && n > 1 && !(times.back() - times.front() < s.seconds))
        throw std::invalid_argument("--key-times: a loop's last key must come before its first comes round again");
    return times;
}

}  // namespace

std::string Validate(const ClipSettings& s)
{
    if (!(s.seconds > 0.0 && s.seconds <= kMaxSeconds)) return "--seconds must be above 0 and at most 3600";
    if (s.fps < kMinFps || s.fps > kMaxFps) return "--fps must be between 1 and 120";
    if (FrameCount(s) < 1) return "--seconds times --fps must make at least one frame";
    if (FrameCount(s) > kMaxFrames) return "--seconds times --fps must make at most 100000 frames";
    if (s.motionBlur < 1 || s.motionBlur > kMaxMotionBlur) return "--motion-blur must be between 1 and 64";
    if (s.height != 0 && (s.height < studio::kMinWidth || s.height > studio::kMaxWidth))
        return "--height must be between 16 and 16384";
    if (s.grow && s.loop) return "--grow and --loop exclude each other";
    if (s.grow && s.motionBlur > 1) return "--motion-blur does not apply to --grow";
    return studio::Validate(s.renderSpec);
}

Clip::Clip(std::vector<Keyframe> keys, ClipSettings settings) : keys_(std::move(keys)), settings_(std::move(settings))
{
    if (std::string problem = Validate(settings_); !problem.empty()) throw std::invalid_argument(problem);
    if (keys_.empty()) throw std::invalid_argument("a clip needs a key");
    if (settings_.grow && keys_.size() != 1) throw std::invalid_argument("--grow takes one key");
    form_ = FormOf(*keys_.front().quilt);
    for (std::size_t k = 1; k < keys_.size(); ++k) {
        const QuiltForm form = FormOf(*keys_[k].quilt);
        if (!(form == form_))
            throw std::invalid_argument(KeyName(keys_, k) + " is a " + FormName(form) + " quilt and " +
                                        KeyName(keys_, 0) + " a " + FormName(form_) +
                                        " one; the keys of a clip must be quilts of one kind and form");
    }
    for (const Keyframe& key : keys_)
        if (key.look.tone.equalize)
            throw std::invalid_argument("an equalised look changes its scale from frame to frame; clips keep one");
    times_ = TimesOfKeys(keys_, settings_);
    const double period = settings_.loop ? settings_.seconds : 0.0;

    const ParameterTable& table = ParametersFor(form_);
    std::vector<std::vector<double>> values;
    for (const Keyframe& key : keys_) values.push_back(ParametersOf(*key.quilt, form_));
    for (std::size_t i = 0; i < table.Size(); ++i) {
        std::vector<double> path;
        for (const std::vector<double>& v : values) path.push_back(v[i]);
        parameters_.emplace_back(times_, std::move(path), period);
    }
    std::vector<studio::Look> looks;
    for (const Keyframe& key : keys_) looks.push_back(key.look);
    looks_.emplace(looks, times_, period);

    frames_ = static_cast<int>(FrameCount(settings_));
    tileWidth_ = settings_.renderSpec.width;
    tileHeight_ = studio::StudioTileHeight(*keys_.front().quilt, tileWidth_);
}

double Clip::FrameTime(int frame) const
{
    const double s = settings_.seconds;
    if (settings_.loop) return s * frame / frames_;
    if (frames_ == 1) return 0.0;
    return frame == frames_ - 1 ? s : s * frame / (frames_ - 1);
}

std::vector<double> Clip::Instants(int frame) const
{
    const int m = settings_.motionBlur;
    const double t = FrameTime(frame);
    if (m == 1) return {t};
    const double spacing = settings_.seconds / (settings_.loop ? frames_ : std::max(frames_ - 1, 1));
    std::vector<double> instants;
    for (int j = 0; j < m; ++j) instants.push_back(t + ((j + 0.5) / m - 0.5) * spacing);
    return instants;
}

std::vector<double> Clip::ParametersAt(double t) const
{
    const std::vector<ParameterInfo>& info = ParametersFor(form_).Parameters();
    std::vector<double> values(parameters_.size());
    for (std::size_t i = 0; i < values.size(); ++i) {
        values[i] = parameters_[i](t);
        if (info[i].integer) values[i] = std::round(values[i]);
    }
    return values;
}

std::shared_ptr<const QuiltSnapshot> Clip::QuiltAt(double t) const
{
    return WithParameters(*keys_.front().quilt, form_, ParametersAt(t));
}

studio::Look Clip::LookAt(double t) const { return (*looks_)(t); }

int Clip::FrameWidth() const { return (tileWidth_ + 1) & ~1; }

int Clip::FrameHeight() const { return ((settings_.height ? settings_.height : tileHeight_) + 1) & ~1; }

std::uint64_t Clip::Budget() const
{
    const double pixels = static_cast<double>(tileWidth_) * tileHeight_;
    return static_cast<std::uint64_t>(std::max(1.0, std::llround(settings_.renderSpec.samplesPerPixel * pixels) * 1.0));
}

std::uint64_t Clip::SamplesOf(int frame) const
{
    const std::uint64_t budget = Budget();
    if (!settings_.grow || frame >= frames_ - 1) return budget;
    const double first = std::max(1.0, static_cast<double>(budget) * kFirstGrowthShare);
    const double share = static_cast<double>(frame) / (frames_ - 1);
    const double samples = first * std::pow(static_cast<double>(budget) / first, share);
    return std::clamp<std::uint64_t>(static_cast<std::uint64_t>(std::llround(samples)), 1, budget);
}

}  // namespace tilvex::motion
