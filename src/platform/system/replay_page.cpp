#include "platform/system/replay_page.hpp"

void OfferReplay(const std::string& /*path*/, const std::string& /*file_name*/) {}

std::string TakeOpenedReplay() { return {}; }

void RefuseOpenedReplay(const std::string& /*why*/) {}
