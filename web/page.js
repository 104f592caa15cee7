// Runs inside the game's script, before it starts: the command line from the
// page's address, the replay it names, and what the page learns when the game
// ends. web/storage.js keeps the per-user folders.
(function () {
  var query = new URLSearchParams(window.location.search);
  var args = (query.get('args') || '').split(/\s+/).filter(function (word) { return word !== ''; });
  Module.arguments = args;

  // "/a/./b/../c" as "/a/c".
  function normalized(path) {
    var parts = [];
    path.split('/').forEach(function (part) {
      if (part === '..') parts.pop();
      else if (part !== '' && part !== '.') parts.push(part);
    });
    return '/' + parts.join('/');
  }

  // A replay named on the command line is a file of the page's own site,
  // put at the same path in the game's file system. What the link asks for
  // that cannot be is refused by the game before it starts, in the one line
  // of platform/web/write_guard.cpp.
  function fetchReplay() {
    var at = args.indexOf('--replay');
    if (at < 0 || at + 1 >= args.length) return;
    var name = args[at + 1];
    var url = null;
    try { url = new URL(name, window.location.href); } catch (bad) {}
    var path = normalized(name);
    if (!url || url.origin !== window.location.origin || /^[a-z][a-z0-9+.-]*:|^\/\//i.test(name)) {
      Module.rezarudevRefusal = '--replay takes a file of this site, not ' + JSON.stringify(name.substring(0, 60));
      return;
    }
    if (Module.rezarudevKeeps(path) || path === '/data' || path.indexOf('/data/') === 0) {
      Module.rezarudevRefusal = '--replay cannot be put at ' + JSON.stringify(name.substring(0, 60));
      return;
    }
    addRunDependency('rezarudev-replay');
    fetch(url.href).then(function (response) {
      if (!response.ok) throw new Error(response.status + ' ' + response.statusText);
      return response.arrayBuffer();
    }).then(function (bytes) {
      FS.mkdirTree(path.substring(0, path.lastIndexOf('/')) || '/');
      FS.writeFile(path, new Uint8Array(bytes));
    }).catch(function (error) {
      // The game then says that the file is missing and ends with status 2.
      console.error('rezarudev: cannot fetch ' + name + ': ' + error.message);
    }).finally(function () {
      removeRunDependency('rezarudev-replay');
    });
  }

  // AfterPresent in platform/web/display_platform.cpp asks when the browser
  // last had the thread.
  function stampFrame(now) {
    Module.lastAnimationFrame = now;
    window.requestAnimationFrame(stampFrame);
  }
  window.requestAnimationFrame(stampFrame);

  Module.preRun = (Module.preRun || []).concat([fetchReplay]);

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
