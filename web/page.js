// Runs inside the game's script, before it starts: the command line from the
// page's address, the replay it names, the per-user folders kept in the
// browser's storage, and what the page learns when the game ends.
(function () {
  var query = new URLSearchParams(window.location.search);
  var args = (query.get('args') || '').split(/\s+/).filter(function (word) { return word !== ''; });
  Module.arguments = args;

  // The per-user folders of the best score and score table ($HOME/.local/share)
  // and of the settings ($HOME/.config).
  var keptFolders = ['/home/web_user/.local/share', '/home/web_user/.config'];
  var storage = true;

  function sayNoStorage(error) {
    if (!storage) return;
    storage = false;
    console.warn('rezarudev: this browser keeps no files here (' + error + '): the best score starts at 0 and ' +
                 'nothing is saved');
  }

  function writeBack() {
    if (!storage) return;
    FS.syncfs(false, function (error) { if (error) sayNoStorage(error); });
  }

  function readIn() {
    addRunDependency('rezarudev-storage');
    var done = function () { removeRunDependency('rezarudev-storage'); };
    if (typeof indexedDB === 'undefined') {
      sayNoStorage('no IndexedDB');
      done();
      return;
    }
    keptFolders.forEach(function (folder) {
      try { FS.mkdirTree(folder); } catch (exists) {}
      FS.mount(IDBFS, {}, folder);
    });
    try {
      FS.syncfs(true, function (error) {
        if (error) sayNoStorage(error);
        done();
      });
    } catch (error) {
      sayNoStorage(error);
      done();
    }
    // Every save ends with a rename of the whole new file over the old one.
    var rename = FS.rename;
    FS.rename = function (from, to) {
      var result = rename.apply(this, arguments);
      if (keptFolders.some(function (folder) { return to.indexOf(folder + '/') === 0; })) writeBack();
      return result;
    };
  }

  // A replay named on the command line is a file next to the page.
  function fetchReplay() {
    var at = args.indexOf('--replay');
    if (at < 0 || at + 1 >= args.length) return;
    var name = args[at + 1];
    addRunDependency('rezarudev-replay');
    fetch(name).then(function (response) {
      if (!response.ok) throw new Error(response.status + ' ' + response.statusText);
      return response.arrayBuffer();
    }).then(function (bytes) {
      var path = name.charAt(0) === '/' ? name : '/' + name;
      FS.mkdirTree(path.substring(0, path.lastIndexOf('/')) || '/');
      FS.writeFile(path, new Uint8Array(bytes));
    }).catch(function (error) {
      // The game then says that the file is missing and ends with status 2.
      console.error('rezarudev: cannot fetch ' + name + ': ' + error.message);
    }).finally(function () {
      removeRunDependency('rezarudev-replay');
    });
  }

  // platform/web/page.cpp asks when the browser last had the thread.
  function stampFrame(now) {
    Module.lastAnimationFrame = now;
    window.requestAnimationFrame(stampFrame);
  }
  window.requestAnimationFrame(stampFrame);

  Module.preRun = (Module.preRun || []).concat([readIn, fetchReplay]);

  // Leaving from inside a wait (see platform/system/program_exit.hpp) ends
  // with the runtime's own exit exception: that is the normal way out.
  window.addEventListener('error', function (event) {
    if (typeof ExitStatus !== 'undefined' && event.error instanceof ExitStatus) event.preventDefault();
  });

  var ended = Module.onExit;
  Module.onExit = function (status) {
    window.rezarudevExit = status;
    if (ended) ended(status);
  };

  window.rezarudevReadFile = function (path) {
    try {
      return FS.readFile(path, {encoding: 'utf8'});
    } catch (missing) {
      return null;
    }
  };
})();
