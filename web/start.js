// Starts the game: says what the browser lacks, if anything, shows the
// loading bar, waits for the click or key that lets the browser play sound,
// then runs rezarudev.js, and offers to start again when the game ends.
// web/controls.js is loaded before it; web/storage.js and web/page.js run
// inside the game's script.
(function () {
  var notice = document.getElementById('notice');
  var message = document.getElementById('message');
  var bar = document.querySelector('#bar div');
  var canvas = document.getElementById('canvas');
  function say(text, showBar) {
    notice.hidden = false;
    message.textContent = text;
    bar.parentNode.style.visibility = showBar ? 'visible' : 'hidden';
  }

  var webgl = null;
  try { webgl = document.createElement('canvas').getContext('webgl'); } catch (refused) {}
  if (typeof WebAssembly !== 'object' || !webgl) {
    say(typeof WebAssembly !== 'object' ? 'This browser cannot run WebAssembly, which Rezarudev needs.'
                                        : 'This browser has WebGL switched off or lacks it; Rezarudev needs it to draw.',
        false);
    return;
  }

  // Browsers start sound only after a click or a key, so the game waits for
  // one once its files are in.
  var ready = false, clicked = false;
  function waitForClick() {
    addRunDependency('rezarudev-click');
    var start = function (event) {
      if (!ready || clicked) return;
      clicked = true;
      Module.rezarudevStarted = true;
      event.preventDefault();
      notice.hidden = true;
      canvas.focus();
      notice.removeEventListener('click', start);
      window.removeEventListener('keydown', start);
      removeRunDependency('rezarudev-click');
    };
    notice.addEventListener('click', start);
    window.addEventListener('keydown', start);
  }

  window.Module = {
    canvas: canvas,
    preRun: [waitForClick],
    print: function (text) { console.log(text); },
    printErr: function (text) { console.error(text); },
    setStatus: function (text) {
      var progress = /\((\d+(?:\.\d+)?)\/(\d+)\)/.exec(text);
      if (progress) bar.style.width = (100 * progress[1] / progress[2]) + '%';
    },
    monitorRunDependencies: function (left) {
      if (left === 1 && !clicked) {
        ready = true;
        bar.style.width = '100%';
        say('Click to play', true);
      }
    },
    onExit: function (status) {
      if (document.fullscreenElement) document.exitFullscreen();
      if (document.pointerLockElement) document.exitPointerLock();
      notice.hidden = false;
      say(status === 0 ? 'The game has ended. Click to play again.'
                       : 'The game has ended (status ' + status + '). Click to start again.', false);
      notice.addEventListener('click', function () { window.location.reload(); });
    }
  };

  var script = document.createElement('script');
  script.src = 'rezarudev.js';
  script.onerror = function () { say('The game could not be loaded.', false); };
  // web/offline.js may first move the page to a newer build.
  var load = function () { document.body.appendChild(script); };
  (window.rezarudevOffline || Promise.resolve()).then(load, load);
})();
