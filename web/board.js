// The world table, when the page is served by a score board (rezarudev-board
// marks every file it serves with an X-Rezarudev-Board header). The game
// takes a ticket at each "Start New Game" (window.rezarudevBoard.takeTicket)
// and hands over each game played on one at its game over (sendGame); this
// script keeps a fresh ticket at hand, sends the games, shows the rank each
// got and lists the world's top ten beside the picture, each with a link
// that watches it.
// Nothing here ever holds the game up, and a board that does not answer is
// said once in the console, never on the picture.
(function () {
  'use strict';

  var FRESH_MS = 60 * 60 * 1000;  // the board keeps a ticket for two hours
  var RETRY_MS = 30 * 1000;
  var MOST_SEED = 0x7ffffffe;

  var served = false;
  var ticket = null;
  var asking = false;
  var retrying = false;
  var saidUnanswered = false;

  function el(id) { return document.getElementById(id); }

  function unanswered(why) {
    if (saidUnanswered) return;
    saidUnanswered = true;
    console.warn('rezarudev: the score board does not answer (' + why + '); the game goes on without it');
  }

  function later(task) {
    if (retrying) return;
    retrying = true;
    setTimeout(function () { retrying = false; task(); }, RETRY_MS);
  }

  // JSON from the board, or a rejection with its one-line reason.
  function ask(path, options) {
    return fetch('api/' + path, Object.assign({ cache: 'no-store' }, options)).then(function (response) {
      return response.json().catch(function () { return {}; }).then(function (body) {
        if (response.ok) return body;
        var error = new Error(typeof body.error === 'string' ? body.error : 'status ' + response.status);
        error.status = response.status;
        throw error;
      });
    });
  }

  function askTicket() {
    if (!served || asking || ticket) return;
    asking = true;
    ask('tickets', { method: 'POST' }).then(function (given) {
      if (typeof given.ticket !== 'string' || !Number.isInteger(given.seed) || given.seed < 1 ||
          given.seed > MOST_SEED) {
        throw new Error('its ticket is not one');
      }
      ticket = { ticket: given.ticket, seed: given.seed, at: Date.now() };
    }).catch(function (error) {
      unanswered(error.message);
      later(askTicket);
    }).finally(function () { asking = false; });
  }

  function say(text) {
    var line = el('world-said');
    line.textContent = text;
    line.hidden = !text;
  }

  function sendGame(id, name, replay) {
    if (!served) return;
    ask('games', {
      method: 'POST',
      headers: { 'Content-Type': 'application/json' },
      body: JSON.stringify({ ticket: id, name: name, replay: replay })
    }).then(function (got) {
      say('Your ' + got.score + ' is no. ' + got.rank + ' in the world');
      showTable();
    }).catch(function (error) {
      if (error.status && error.status !== 429 && error.status < 500) {
        say('Not in the world table: ' + error.message);
      } else {
        // No answer, or one that says to send it again later (too many games
        // at once, the board failing for now): sent again while the ticket
        // lasts.
        unanswered(error.message);
        setTimeout(function () { sendGame(id, name, replay); }, RETRY_MS);
      }
    });
  }

  function showTable() {
    ask('scores?limit=10').then(function (got) {
      var list = el('world-list');
      list.textContent = '';
      (Array.isArray(got.scores) ? got.scores : []).forEach(function (entry) {
        var row = document.createElement('li');
        var name = document.createElement('span');
        name.className = 'name';
        name.textContent = String(entry.name);
        var score = document.createElement('span');
        score.className = 'score';
        score.textContent = String(entry.score);
        var watch = document.createElement('a');
        watch.textContent = 'Watch';
        watch.href = '?watch=' + encodeURIComponent('api/games/' + encodeURIComponent(String(entry.id)) + '/replay');
        watch.target = '_blank';
        watch.rel = 'noopener';
        row.append(name, ' ', score, ' ', watch);
        list.append(row);
      });
      el('world-empty').hidden = list.children.length > 0;
    }).catch(function () {});
  }

  window.rezarudevBoard = {
    // {ticket, seed}, or null: the game is then played as ever, for this
    // browser only.
    takeTicket: function () {
      var taken = ticket;
      ticket = null;
      askTicket();
      return taken && Date.now() - taken.at < FRESH_MS ? taken : null;
    },
    sendGame: sendGame
  };

  // A board marks every file it serves; a plain host has no api/ to ask,
  // and asking it would put a 404 in the console of every visit.
  if (window.location.protocol === 'file:') return;
  fetch('manifest.webmanifest', { cache: 'no-store' }).then(function (response) {
    if (response.headers.get('X-Rezarudev-Board') !== '1') return;
    served = true;
    document.body.classList.add('board');
    el('world').hidden = false;
    askTicket();
    showTable();
    setInterval(function () {
      if (ticket && Date.now() - ticket.at >= FRESH_MS) ticket = null;
      askTicket();
    }, 60 * 1000);
  }).catch(function () {});
})();
