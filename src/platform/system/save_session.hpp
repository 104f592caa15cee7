#pragma once

#include <string>

// One save of the player's files while other games of the same player may
// be saving theirs: from its start to its end no other game saves into the
// same folder (on the desktop a lock on the folder, in the browser a lock
// that all the site's tabs share), so that a save can read what is stored
// now, merge, and write without another save slipping in between. In the
// browser the session also first brings the files up to date from the
// browser's storage, and at its end puts what was written back there.
class SaveSession {
public:
    explicit SaveSession(const std::string& folder);
    ~SaveSession();
    SaveSession(const SaveSession&) = delete;
    SaveSession& operator=(const SaveSession&) = delete;

    // Ends the session. False, with one line on standard error saying what
    // happened, when what was written could not be kept.
    bool Finish();

private:
    int lock_ = -1;
    bool finished_ = false;
};

// Whether another game (another tab of the page) has saved since the last
// time this was asked; then what is stored is worth reading again.
bool OthersSaved();

// Whether each of the player's files is written as soon as what it holds
// changes, not only when the game leaves: a browser tab may be closed or
// reloaded at any moment, and then the game never reaches its way out.
bool WriteFilesAsTheyChange();
