#pragma once

#include "core/QuiltState.h"

namespace tilvex {

// The radio buttons of "Choose Map": they change the quilt's kind flags the
// moment they are clicked, so the dialog is handed this model.
class ChooseMapModel {
public:
    explicit ChooseMapModel(KindFlags& flags) : flags_(flags) {}
    int InitialButton() const;
    void Click(int buttonId);

    static constexpr int kHex = 223, kSquare = 224, kWildCorner = 263, kFourSixTwelve = 215, kFourEightEight = 227,
                         kThreeTwelveTwelve = 228;

private:
    KindFlags& flags_;
};

}  // namespace tilvex
