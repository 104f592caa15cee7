// Runs inside the game's script, before it starts: the page's part in
// watching and sharing the table's games (platform/web/replay_page.cpp).
// "Save replay" downloads the recording of the entry chosen on the table,
// "Open replay" hands a file to the game, which watches it from the title,
// and index.html?watch=URL fetches a recording of this site and plays it as
// --watch does.
(function () {
  var saveButton = document.getElementById('save-replay');
  var openButton = document.getElementById('open-replay');
  var picker = document.getElementById('replay-file');
  var notice = document.getElementById('replay-notice');
  var offered = null, opened = [], openedCount = 0;

  function tell(text) {
    if (!notice) return;
    notice.textContent = text;
    notice.hidden = !text;
  }

  Module.rezarudevReplays = {
    offer: function (path, fileName) {
      offered = path ? {path: path, fileName: fileName} : null;
      if (saveButton) saveButton.disabled = !offered;
    },
    takeOpened: function () { return opened.shift() || null; },
    // The game has said it on the console already.
    refuse: function (why) { tell(why); }
  };

  if (saveButton) {
    saveButton.disabled = true;
    saveButton.addEventListener('click', function () {
      if (!offered) return;
      var bytes;
      try { bytes = FS.readFile(offered.path); } catch (gone) {
        tell('The recording of that game cannot be read.');
        return;
      }
      var link = document.createElement('a');
      link.href = URL.createObjectURL(new Blob([bytes], {type: 'text/plain'}));
      link.download = offered.fileName;
      document.body.appendChild(link);
      link.click();
      link.remove();
      setTimeout(function () { URL.revokeObjectURL(link.href); }, 1000);
      Module.canvas.focus();
    });
  }

  // The file goes to a scratch folder of its own, never into the kept ones;
  // the game reads and checks it as it would any recording.
  if (openButton && picker) {
    openButton.addEventListener('click', function () { picker.click(); });
    picker.addEventListener('change', function () {
      var file = picker.files && picker.files[0];
      picker.value = '';
      if (!file) return;
      tell('');
      file.arrayBuffer().then(function (bytes) {
        // Named as the player knows it, in a folder of its own each time.
        var folder = '/opened/' + (++openedCount);
        var path = folder + '/' + (file.name.replace(/[^\w.-]+/g, '_').substring(0, 60) || 'replay.txt');
        FS.mkdirTree(folder);
        FS.writeFile(path, new Uint8Array(bytes));
        opened.push(path);
        Module.canvas.focus();
      });
    });
  }

  // ?watch=URL: a file of the page's own site, as --replay takes, played as
  // the run's only game. What the game refuses it says in one console line,
  // and the page says it too.
  var query = new URLSearchParams(window.location.search);
  var watched = query.get('watch');
  if (watched === null) return;
  var lastError = '';
  var printErr = Module.printErr;
  Module.printErr = function (text) {
    lastError = String(text);
    if (printErr) printErr(text);
  };
  var url = null;
  try { url = new URL(watched, window.location.href); } catch (bad) {}
  if (!url || url.origin !== window.location.origin) {
    Module.rezarudevRefusal = '?watch takes a recording of this site, not ' + JSON.stringify(watched.substring(0, 60));
    tell(Module.rezarudevRefusal);
    return;
  }
  var path = '/watch/replay.txt';
  Module.arguments = (Module.arguments || []).concat(['--replay', path]);
  Module.preRun = (Module.preRun || []).concat([function () {
    addRunDependency('rezarudev-watch');
    fetch(url.href).then(function (response) {
      if (!response.ok) throw new Error(response.status + ' ' + response.statusText);
      return response.arrayBuffer();
    }).then(function (bytes) {
      FS.mkdirTree('/watch');
      FS.writeFile(path, new Uint8Array(bytes));
    }).catch(function (error) {
      lastError = 'rezarudev: cannot fetch ' + watched + ': ' + error.message;
      console.error(lastError);
    }).finally(function () {
      removeRunDependency('rezarudev-watch');
    });
  }]);
  var ended = Module.onExit;
  Module.onExit = function (status) {
    if (ended) ended(status);
    if (status !== 0) tell(lastError.replace(/^rezarudev: /, '').replace(/\/watch\/replay\.txt/, watched));
  };
})();
