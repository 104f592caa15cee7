#include "platform/system/save_session.hpp"

#include <emscripten.h>

#include <cstdio>
#include <cstdlib>

namespace {

// web/storage.js does the work: the lock shared by the site's tabs, and the
// copies between the game's files and the browser's storage.
EM_ASYNC_JS(void, BeginSave, (), { await Module.rezarudevStorage.beginSave(); });
EM_ASYNC_JS(char*, EndSave, (), {
    var problem = await Module.rezarudevStorage.endSave();
    return problem ? stringToNewUTF8(problem) : 0;
});
EM_JS(int, TakeOthersSaved, (), { return Module.rezarudevStorage.takeOthersSaved() ? 1 : 0; });

}  // namespace

SaveSession::SaveSession(const std::string& /*folder*/) { BeginSave(); }

SaveSession::~SaveSession() { Finish(); }

bool SaveSession::Finish() {
    // The page holds the lock, not a descriptor.
    static_cast<void>(lock_);
    if (finished_) return true;
    finished_ = true;
    char* problem = EndSave();
    if (!problem) return true;
    std::fprintf(stderr, "rezarudev: %s\n", problem);
    std::free(problem);
    return false;
}

bool OthersSaved() { return TakeOthersSaved() != 0; }

bool WriteFilesAsTheyChange() { return true; }
