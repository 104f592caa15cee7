// The folders the game keeps in the browser's storage (IndexedDB): read in
// before the game starts, brought up to date at the start of every save and
// written back at its end (platform/web/save_session.cpp), under a lock that
// all the site's tabs share, so that no tab's save undoes another's. Runs
// inside the game's script, before it starts.
//
// The layout is the one earlier versions of the page wrote through
// Emscripten's IDBFS (a database per folder, version 21, a store FILE_DATA
// keyed by path, entries {timestamp, mode, contents}), so that what they kept
// carries over; IDBFS itself loses the errors of a full or cleared storage.
(function () {
  // The per-user folders of the best score and score table ($HOME/.local/share)
  // and of the settings ($HOME/.config), as the game's paths make them with
  // HOME=/home/web_user (PerUserFolder in src/game/paths.cpp): a change there
  // goes here too.
  var keptFolders = ['/home/web_user/.local/share', '/home/web_user/.config'];
  var kVersion = 21, kStore = 'FILE_DATA';
  var kLongestWaitMs = 3000;

  var databases = {};
  var usable = true;
  var release = null;
  var before = null;
  var othersSaved = false;
  var channel = null;
  try { channel = new BroadcastChannel('rezarudev-files'); } catch (none) {}
  if (channel) channel.onmessage = function () { othersSaved = true; };

  function keeps(path) {
    return keptFolders.some(function (folder) { return path === folder || path.indexOf(folder + '/') === 0; });
  }

  function within(promise, what) {
    return new Promise(function (resolve, reject) {
      var timer = setTimeout(function () { reject(new Error(what)); }, kLongestWaitMs);
      promise.then(function (value) { clearTimeout(timer); resolve(value); },
                   function (error) { clearTimeout(timer); reject(error); });
    });
  }

  function open(folder) {
    if (databases[folder]) return Promise.resolve(databases[folder]);
    return new Promise(function (resolve, reject) {
      var request = indexedDB.open(folder, kVersion);
      request.onupgradeneeded = function () {
        var database = request.result;
        var store = database.objectStoreNames.contains(kStore) ? request.transaction.objectStore(kStore)
                                                               : database.createObjectStore(kStore);
        if (!store.indexNames.contains('timestamp')) store.createIndex('timestamp', 'timestamp', {unique: false});
      };
      request.onsuccess = function () {
        var database = request.result;
        // A cleared storage closes its connections; the next save opens anew.
        var forget = function () { if (databases[folder] === database) delete databases[folder]; };
        database.onclose = forget;
        database.onversionchange = function () { database.close(); forget(); };
        databases[folder] = database;
        resolve(database);
      };
      request.onerror = function (event) {
        event.preventDefault();
        reject(request.error);
      };
    });
  }

  function finished(transaction) {
    return new Promise(function (resolve, reject) {
      transaction.oncomplete = function () { resolve(); };
      transaction.onabort = function () { reject(transaction.error || new Error('the transaction was aborted')); };
    });
  }

  function readStored(folder) {
    return open(folder).then(function (database) {
      var transaction = database.transaction([kStore], 'readonly');
      var store = transaction.objectStore(kStore);
      var keys = store.getAllKeys(), values = store.getAll();
      return finished(transaction).then(function () {
        var stored = {};
        keys.result.forEach(function (key, at) { stored[key] = values.result[at]; });
        return stored;
      });
    });
  }

  // {path: {mode, contents}} of what the game's file system holds in `folder`.
  function readLocal(folder) {
    var local = {};
    (function walk(path) {
      var names;
      try { names = FS.readdir(path); } catch (missing) { return; }
      names.forEach(function (name) {
        if (name === '.' || name === '..') return;
        var inside = path + '/' + name;
        var mode = FS.stat(inside).mode;
        local[inside] = {mode: mode, contents: FS.isDir(mode) ? null : FS.readFile(inside)};
        if (FS.isDir(mode)) walk(inside);
      });
    })(folder);
    return local;
  }

  function same(first, second) {
    if (!first || !second || first.length !== second.length) return !first && !second;
    for (var at = 0; at < first.length; ++at) if (first[at] !== second[at]) return false;
    return true;
  }

  function eachFolder(work) {
    return Promise.all(keptFolders.map(work));
  }

  // The game's files become what the storage holds.
  function pull() {
    return eachFolder(function (folder) {
      return readStored(folder).then(function (stored) {
        var local = readLocal(folder);
        Object.keys(local).filter(function (path) { return !(path in stored); }).sort().reverse()
          .forEach(function (path) {
            if (FS.isDir(local[path].mode)) FS.rmdir(path); else FS.unlink(path);
          });
        Object.keys(stored).sort().forEach(function (path) {
          var entry = stored[path];
          if (FS.isDir(entry.mode)) {
            FS.mkdirTree(path);
          } else if (entry.contents && (!local[path] || !same(local[path].contents, entry.contents))) {
            FS.writeFile(path, entry.contents);
            FS.chmod(path, entry.mode);
          }
        });
      });
    });
  }

  // The storage becomes what the game's files hold; true when anything changed.
  function push() {
    return eachFolder(function (folder) {
      return readStored(folder).then(function (stored) {
        var local = readLocal(folder);
        var puts = Object.keys(local).filter(function (path) {
          var entry = stored[path];
          return !entry || entry.mode !== local[path].mode || !same(entry.contents, local[path].contents);
        });
        var deletes = Object.keys(stored).filter(function (path) { return !(path in local); });
        if (!puts.length && !deletes.length) return false;
        return open(folder).then(function (database) {
          var transaction = database.transaction([kStore], 'readwrite');
          var store = transaction.objectStore(kStore);
          puts.forEach(function (path) {
            var entry = {timestamp: FS.stat(path).mtime, mode: local[path].mode};
            if (local[path].contents) entry.contents = local[path].contents;
            store.put(entry, path);
          });
          deletes.forEach(function (path) { store.delete(path); });
          return finished(transaction).then(function () { return true; });
        });
      });
    }).then(function (changes) { return changes.some(Boolean); });
  }

  // A storage cleared meanwhile has closed the connection that was open: one
  // more try, with new connections.
  function once(work) {
    return work().catch(function (error) {
      if (!error || error.name !== 'InvalidStateError') throw error;
      databases = {};
      return work();
    });
  }

  function lock() {
    if (!navigator.locks) return Promise.resolve(function () {});
    return new Promise(function (granted) {
      navigator.locks.request('rezarudev-files', function () {
        return new Promise(function (released) { granted(released); });
      }).catch(function () { granted(function () {}); });
    });
  }

  function snapshot() {
    var files = {};
    keptFolders.forEach(function (folder) {
      var local = readLocal(folder);
      Object.keys(local).forEach(function (path) { files[path] = local[path].contents; });
    });
    return files;
  }

  function changedSince(earlier) {
    var now = snapshot();
    var paths = Object.keys(now).concat(Object.keys(earlier));
    return paths.some(function (path) { return !same(now[path], earlier[path]); });
  }

  function describe(error) {
    var name = error && error.name;
    if (name === 'QuotaExceededError') return 'the browser\'s storage is full';
    if (name === 'InvalidStateError' || name === 'NotFoundError') return 'the browser\'s storage was cleared or closed';
    if (error && error.message === 'no answer') return 'the browser\'s storage does not answer';
    return 'the browser refused to keep it (' + (name || error) + ')';
  }

  // The page's own line about the last save; index.html has its place.
  function say(problem) {
    var note = document.getElementById('saving');
    if (!note) return;
    note.textContent = problem ? 'Not saved: ' + problem + '. It is tried again at the next save.' : '';
    note.hidden = !problem;
  }

  function sayNoStorage(error) {
    if (!usable) return;
    usable = false;
    console.warn('rezarudev: this browser keeps no files here (' + (error && error.message || error) + '): the ' +
                 'best score starts at 0 and nothing is saved');
  }

  // Before the game starts. A browser that refuses storage may throw at the
  // first touch of IndexedDB, fail the request, or never answer it: the game
  // starts without it.
  function readIn() {
    keptFolders.forEach(function (folder) { FS.mkdirTree(folder); });
    try {
      if (!window.indexedDB) {
        sayNoStorage('no IndexedDB');
        return;
      }
    } catch (error) {
      sayNoStorage(error);
      return;
    }
    addRunDependency('rezarudev-storage');
    lock().then(function (released) {
      return within(once(pull), 'no answer').catch(sayNoStorage).finally(released);
    }).finally(function () { removeRunDependency('rezarudev-storage'); });
  }

  Module.rezarudevKeeps = keeps;
  Module.rezarudevStorage = {
    beginSave: function () {
      return lock().then(function (released) {
        release = released;
        if (!usable) return undefined;
        // What cannot be read now is written over as the game has it; a
        // storage that stopped answering is not waited for again.
        return within(once(pull), 'no answer').catch(function (error) {
          if (error && error.message === 'no answer') usable = false;
        });
      }).then(function () { before = snapshot(); });
    },
    // Null, or what went wrong in a sentence.
    endSave: function () {
      var changed = before !== null && changedSince(before);
      before = null;
      var done;
      if (!changed) {
        done = Promise.resolve(null);
      } else if (!usable) {
        done = Promise.resolve('this browser keeps no files here');
      } else {
        done = within(once(push), 'no answer').then(function () { return null; }, describe);
      }
      return done.then(function (problem) {
        if (release) release();
        release = null;
        if (changed) say(problem);
        if (changed && !problem && channel) channel.postMessage('saved');
        return problem;
      });
    },
    takeOthersSaved: function () {
      var saved = othersSaved;
      othersSaved = false;
      return saved;
    }
  };
  Module.preRun = (Module.preRun || []).concat([readIn]);
})();
