// Registers the site's service worker (web/service_worker.js), which keeps
// the site so the game plays offline after one visit, and moves the page to a
// new build without ever running one build's script with another's .wasm:
// before the game starts the page reloads into the new build; once it has
// started the bar says so and the new build plays from the next visit.
// web/start.js loads the game once window.rezarudevOffline settles, so that a
// page opened while a new build waits switches before loading anything.
// Where service workers are missing or refused (file://, private modes) the
// game plays from the network as it would without this file, silently.
(function () {
  var workers = navigator.serviceWorker;
  if (!workers || !window.Promise) return;

  function started() { return !!(window.Module && window.Module.rezarudevStarted); }

  function sayNewVersion() {
    if (document.getElementById('new-version')) return;
    var bar = document.getElementById('controls');
    if (!bar) return;
    var note = document.createElement('span');
    note.id = 'new-version';
    note.style.color = '#fc6';
    note.textContent = 'A new version is ready for the next visit';
    bar.insertBefore(note, bar.firstChild);
  }

  // Only a page that a worker already serves switches: the first visit's
  // files came from the network, and its worker keeps that same build.
  var served = !!workers.controller;
  workers.addEventListener('controllerchange', function () {
    if (!served) return;
    reloadOnce(false);
    if (started()) sayNewVersion();
    else window.location.reload();
  });

  // Chrome can hold a new worker back for long while the page this tab
  // showed before (a reload, a game's "play again") is still being let go
  // of, however often it is asked; a second reload, with nothing of that page
  // left, lets it through. Once a tab only, so the game is never held up in a
  // loop; a worker held longer still takes over when Chrome lets it (the
  // page then reloads, or says so once the game has started).
  function takeOver(worker, asked) {
    asked = asked || 0;
    if (started()) {
      sayNewVersion();
    } else if (worker.state === 'installed' && asked < 20) {
      if (asked === 4 && reloadOnce(true)) {
        window.location.reload();
        return;
      }
      worker.postMessage('take over');
      setTimeout(function () { takeOver(worker, asked + 1); }, 250);
    }
  }
  // Whether this tab may reload for it (and from now on it may not); false
  // forgets the reload once the new worker is in, or there is none.
  function reloadOnce(reload) {
    try {
      if (!reload) return sessionStorage.removeItem('rezarudev-reloaded'), false;
      if (sessionStorage.getItem('rezarudev-reloaded')) return false;
      sessionStorage.setItem('rezarudev-reloaded', '1');
      return true;
    } catch (refused) {
      return false;
    }
  }

  // Resolves once the page may load the game: at once, or once a new build
  // that is on its way has settled (the page then reloads into it instead).
  var checked = new Promise(function (resolve) {
    function watch(worker, holding) {
      worker.addEventListener('statechange', function () {
        if (worker.state === 'installed' && served) takeOver(worker);
        else if (worker.state === 'redundant' && holding) resolve();
      });
    }
    // A page that a worker serves has its registration already: asking for
    // it is at once, where registering again waits on the network (seconds
    // with none).
    (served ? workers.getRegistration() : Promise.resolve(null)).then(function (registration) {
      return registration || workers.register('service_worker.js');
    }).then(function (registration) {
      registration.addEventListener('updatefound', function () { watch(registration.installing, false); });
      if (served && registration.waiting) {
        takeOver(registration.waiting);
      } else if (served && registration.installing) {
        watch(registration.installing, true);
      } else {
        reloadOnce(false);
        resolve();
        // Browsers look for a new worker after a visit in their own time; the
        // page asks now, so a new build is in before the player has clicked.
        if (served) registration.update().catch(function () {});
      }
    }, function () { resolve(); });
  });
  // However the registration goes (a reload that never comes, a worker that
  // never settles), the game is never held up long.
  window.rezarudevOffline = Promise.race([checked, new Promise(function (resolve) { setTimeout(resolve, 5000); })]);
})();
