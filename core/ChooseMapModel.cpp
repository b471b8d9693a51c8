#include "core/ChooseMapModel.h"

namespace tilvex {

int ChooseMapModel::InitialButton() const
{
    if (flags_.kindThreeTwelveTwelve) return kThreeTwelveTwelve;
    if (flags_.kindFourEightEight) return kFourEightEight;
    if (flags_.kindFourSixTwelve) return kFourSixTwelve;
    if (flags_.kindHex) return kHex;
    if (flags_.kindWildCorner) return kWildCorner;
    return kSquare;
}

void ChooseMapModel::Click(int buttonId)
{
    int* flag = nullptr;
    switch (buttonId) {
    case kHex: flag = &flags_.kindHex; break;
    case kWildCorner: flag = &flags_.kindWildCorner; break;
    case kFourSixTwelve: flag = &flags_.kindFourSixTwelve; break;
    case kFourEightEight: flag = &flags_.kindFourEightEight; break;
    case kThreeTwelveTwelve: flag = &flags_.kindThreeTwelveTwelve; break;
    default: break;
    }
    bool wasSet = flag && *flag;
    flags_.Clear();
    if (flag && !wasSet) *flag = 1;
}

}  // namespace tilvex
