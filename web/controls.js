// What the page does with the player's controls: full screen (its button and
// Alt+Enter), the game's keys kept from the page, and the pointer lock asked
// for again when a browser refused it. Loaded before web/start.js, and
// working from the click that starts the game (Module.rezarudevStarted).
(function () {
  var canvas = document.getElementById('canvas');
  function started() { return !!(window.Module && Module.rezarudevStarted); }

  // A browser locks the pointer only inside a click or a key press, and a
  // game starts playing seconds after the click that started it (the level
  // warps in first). So a refused lock is asked for again at the next click
  // or key, for as long as the game wants it; the mouse steers meanwhile.
  // The game asks through SDL's relative mouse mode, when it captures the
  // pointer (SdlInputSource::SetPointerCaptured in
  // src/platform/input/input_sdl.cpp), and lets go the same way.
  var lockPointer = canvas.requestPointerLock, unlockPointer = document.exitPointerLock;
  var lockWanted = false;
  function askForLock() {
    try {
      var asked = lockPointer.call(canvas);
      if (asked && asked.catch) asked.catch(function () {});
      return asked;
    } catch (refused) {
      return undefined;
    }
  }
  canvas.requestPointerLock = function () {
    lockWanted = true;
    return askForLock();
  };
  document.exitPointerLock = function () {
    lockWanted = false;
    return unlockPointer.apply(document, arguments);
  };
  ['mousedown', 'keydown'].forEach(function (type) {
    window.addEventListener(type, function () {
      if (lockWanted && !document.pointerLockElement) askForLock();
    }, true);
  });

  // Full screen is the page's, around the picture and its letterbox: the game's
  // own request would come too late, outside the key press a browser demands
  // (the game still sees Alt+Enter, so that Alt is no power-up then; it
  // leaves the switch to the page: GameTogglesFullscreen in
  // src/platform/web/input_platform.cpp).
  function toggleFullScreen() {
    if (document.fullscreenElement) document.exitFullscreen(); else document.getElementById('stage').requestFullscreen();
    canvas.focus();
  }
  document.getElementById('fullscreen').addEventListener('click', function () {
    if (window.Module) toggleFullScreen();
  });

  // The game's keys must not scroll the page or reach the browser; F11 is
  // left to the browser, which the game never sees. The list is the keys
  // src/game/keys.hpp names that a browser would act on: a key added there
  // belongs here too.
  var gameKeys = ['ArrowLeft', 'ArrowRight', 'ArrowUp', 'ArrowDown', 'Space', 'ControlLeft', 'AltLeft', 'Escape'];
  ['keydown', 'keyup'].forEach(function (type) {
    window.addEventListener(type, function (event) {
      if (event.code === 'F11') {
        event.stopImmediatePropagation();
      } else if (started() && event.altKey && (event.code === 'Enter' || event.code === 'NumpadEnter')) {
        event.preventDefault();
        if (type === 'keydown' && !event.repeat) toggleFullScreen();
      } else if (started() && gameKeys.indexOf(event.code) >= 0) {
        event.preventDefault();
        // Esc ends any run, a replay too, whose input is not the keyboard's
        // (PageAsksToClose in src/platform/web/input_platform.cpp).
        if (event.code === 'Escape' && type === 'keydown') Module.rezarudevCloseAsked = true;
      }
    }, true);
  });
})();
