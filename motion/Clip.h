#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "maps/ParameterTable.h"
#include "motion/KeyCurve.h"
#include "motion/LookCurve.h"
#include "render/QuiltSnapshot.h"
#include "studio/Look.h"
#include "studio/RenderSettings.h"

namespace tilvex::motion {

// One key of a clip: a quilt and how it looks.
struct Keyframe {
    std::shared_ptr<const QuiltSnapshot> quilt;
    studio::Look look;
    std::string label;  // names the key in messages: its file, or "the current quilt"
};

// Everything a clip is made with besides its keys.
struct ClipSettings {
    double seconds = 4.0;
    int fps = 24;
    std::vector<double> keyTimes;  // seconds, one per key, increasing; empty: evenly spaced
    bool loop = false;             // the path runs on from the last key back to the first
    int motionBlur = 1;            // parameter instants averaged per frame
    bool grow = false;             // one key's density building up instead of a morph
    studio::RenderSettings renderSpec;
    int height = 0;  // the frames' height; 0: the tile's. Rows past the tile continue the pattern.
};

inline constexpr double kMaxSeconds = 3600.0;
inline constexpr int kMinFps = 1, kMaxFps = 120;
inline constexpr int kMaxMotionBlur = 64;
inline constexpr int kMaxFrames = 100000;

// Empty when the settings lie in range (the keys aside), else what is wrong, by option name.
std::string Validate(const ClipSettings& settings);

// A clip: its frames' times, and the quilt and look at any time. Every
// coefficient of the keys' parameter table follows a KeyCurve through the
// keys, and so does every numeric setting of their looks; the colour map
// and everything else that is not a coefficient (grid, geometry, orbit,
// palette) come from the first key. The frames of an open clip run from its
// first key's time to its end, both included; those of a loop are evenly
// spaced over one period, the last leading into the first. A growth film
// has one key and frames at geometrically spaced sample counts.
class Clip {
public:
    // Throws std::invalid_argument on keys that cannot make one clip (kinds
    // or forms that differ, naming both; looks that differ in more than numbers;
    // times that do not fit) or settings out of range.
    Clip(std::vector<Keyframe> keys, ClipSettings settings);

    const ClipSettings& Settings() const { return settings_; }
    const std::vector<Keyframe>& Keys() const { return keys_; }
    const QuiltForm& Form() const { return form_; }
    const std::vector<double>& KeyTimes() const { return times_; }

    int Frames() const { return frames_; }
    double FrameTime(int frame) const;
    // The instants frame averages: its time, or motionBlur instants spread over its share of the clip.
    std::vector<double> Instants(int frame) const;

    // The coefficients at time t, in the parameter table's order.
    std::vector<double> ParametersAt(double t) const;
    std::shared_ptr<const QuiltSnapshot> QuiltAt(double t) const;
    studio::Look LookAt(double t) const;

    // The tile every frame renders and the frames' size (even, for the video codecs).
    int TileWidth() const { return tileWidth_; }
    int TileHeight() const { return tileHeight_; }
    int FrameWidth() const;
    int FrameHeight() const;
    // A frame's samples: the render settings' budget, or, growing, its share of it.
    std::uint64_t Budget() const;
    std::uint64_t SamplesOf(int frame) const;

private:
    std::vector<Keyframe> keys_;
    ClipSettings settings_;
    QuiltForm form_;
    std::vector<double> times_;
    std::vector<KeyCurve> parameters_;
    std::optional<LookCurve> looks_;
    int frames_ = 0;
    int tileWidth_ = 0, tileHeight_ = 0;
};

}  // namespace tilvex::motion
