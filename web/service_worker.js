// Keeps the site in a cache of its own build, so that after one visit the
// game plays with no network. The build writes VERSION and FILES (each file
// the site serves and the SHA-256 of its bytes, cmake/WebWorker.cmake), so
// every new build is a new worker with a cache of its own.
//
// A build is kept whole or not at all, and a page only ever runs the files of
// one build: the script, the .wasm and the .data of two builds do not work
// together. So the new worker waits until web/offline.js lets it take over
// (at once when no game has started yet, otherwise at the next visit).
'use strict';

var VERSION = 'unbuilt';
var FILES = {};

var CACHE = 'rezarudev-' + VERSION;
var PREFIX = 'rezarudev-';

function hex(buffer) {
  return Array.from(new Uint8Array(buffer), function (byte) { return (byte < 16 ? '0' : '') + byte.toString(16); })
      .join('');
}

// Every file is fetched past the browser's HTTP cache and checked against the
// build's own hash before any is kept: a host caught half way through an
// upload gives no cache rather than a mixed one, and the next visit tries
// again. Hosts that rewrite pages (adding a script, say) only touch the HTML,
// which holds none of the game.
function fetchBuild() {
  return Promise.all(Object.keys(FILES).map(function (name) {
    return fetch(new Request(name, {cache: 'reload'})).then(function (response) {
      if (!response.ok) throw new Error(name + ': ' + response.status);
      if (/\.html$/.test(name)) return [name, response];
      return response.clone().arrayBuffer().then(function (bytes) {
        return crypto.subtle.digest('SHA-256', bytes);
      }).then(function (digest) {
        if (hex(digest) !== FILES[name]) throw new Error(name + ' is not of build ' + VERSION);
        return [name, response];
      });
    });
  }));
}

self.addEventListener('install', function (event) {
  event.waitUntil(fetchBuild().then(function (responses) {
    return caches.open(CACHE).then(function (cache) {
      return Promise.all(responses.map(function (pair) { return cache.put(pair[0], pair[1]); }));
    }).catch(function (error) {
      // A full storage keeps half a build: drop it, so that none is kept.
      return caches.delete(CACHE).then(function () { throw error; });
    });
  }));
});

self.addEventListener('activate', function (event) {
  event.waitUntil(caches.keys().then(function (names) {
    return Promise.all(names.filter(function (name) {
      return name.indexOf(PREFIX) === 0 && name !== CACHE;
    }).map(function (name) { return caches.delete(name); }));
  }));
});

self.addEventListener('message', function (event) {
  if (event.data === 'take over') self.skipWaiting();
});

// The site's own files from this build's cache, whatever the query (the page
// takes ?args= and ?watch=); everything else (recordings, the score board's
// /api/) from the network, never kept.
self.addEventListener('fetch', function (event) {
  var request = event.request;
  if (request.method !== 'GET') return;
  var scope = new URL(self.registration.scope);
  var url = new URL(request.url);
  if (url.origin !== scope.origin || url.pathname.indexOf(scope.pathname) !== 0) return;
  var name = url.pathname.substring(scope.pathname.length) || 'index.html';
  if (!Object.prototype.hasOwnProperty.call(FILES, name)) return;
  event.respondWith(caches.open(CACHE).then(function (cache) {
    return cache.match(name);
  }).then(function (kept) {
    return kept || fetch(request);
  }));
});
