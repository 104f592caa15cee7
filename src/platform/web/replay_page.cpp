#include "platform/system/replay_page.hpp"

#include <emscripten.h>

#include <cstdlib>

namespace {

// web/replays.js keeps the buttons.
EM_JS(void, PageOffer, (const char* path, const char* file_name), {
    Module.rezarudevReplays.offer(UTF8ToString(path), UTF8ToString(file_name));
});
EM_JS(char*, PageTakeOpened, (), {
    var path = Module.rezarudevReplays.takeOpened();
    return path ? stringToNewUTF8(path) : 0;
});
EM_JS(void, PageRefuse, (const char* why), { Module.rezarudevReplays.refuse(UTF8ToString(why)); });

}  // namespace

void OfferReplay(const std::string& path, const std::string& file_name) { PageOffer(path.c_str(), file_name.c_str()); }

std::string TakeOpenedReplay() {
    char* path = PageTakeOpened();
    if (!path) return {};
    std::string taken = path;
    std::free(path);
    return taken;
}

void RefuseOpenedReplay(const std::string& why) { PageRefuse(why.c_str()); }
