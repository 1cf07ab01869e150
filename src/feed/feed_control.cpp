#include "feed/feed_control.h"

namespace trevalon {

CFeedControl::CFeedControl(const std::string& korvoRoot) {
  for (int i = 0; i < kChannels; ++i) {
    channels[i].ncDirectory = korvoRoot + "/ncdata";
    channels[i].conditionDirectory = korvoRoot + "/lmx";
    channels[i].portName = "Com" + std::to_string(i);
  }
}

void CFeedControl::OpenTransferDialog() {
  if (!transferDialogOpened) SlopeReductionFromCorner(Current().conditions);
  transferDialogOpened = true;
}

}  // namespace trevalon
