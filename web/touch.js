// The page on a touch screen: on-screen controls from the first touch (gone
// again at the first key press), a text field that brings up the phone's
// keyboard for the name entry, full screen in landscape at the first tap,
// and nothing of the browser's own (scrolling, zoom, long-press menus,
// selection) under the fingers. The game reads what the controls hold and
// what was typed once a frame (src/platform/web/input_platform.cpp), as the
// keys those actions are bound to, so a game played by touch records and
// replays as any other. Taps on the picture reach the game as clicks through
// SDL, which works the menus.
// Loaded before web/controls.js, so that keys typed into the text field are
// the field's and never the game's.
(function () {
  // In the order of the game's actions (src/platform/input/bindings.hpp).
  var ACTIONS = ['turn_left', 'turn_right', 'thrust', 'fire', 'trigger', 'pause'];
  var LABELS = {turn_left: '\u25c0', turn_right: '\u25b6', thrust: '\u25b2', fire: '\u25cf',
                trigger: '\u2605', pause: '\u275a\u275a'};
  var TITLES = {turn_left: 'Turn left', turn_right: 'Turn right', thrust: 'Thrust', fire: 'Fire',
                trigger: 'Power-up', pause: 'Pause'};
  var stage = document.getElementById('stage');
  var body = document.body;

  function control(action) {
    var button = document.createElement('div');
    button.className = 'pad-button';
    button.setAttribute('data-action', action);
    button.setAttribute('aria-label', TITLES[action]);
    button.textContent = LABELS[action];
    return button;
  }
  // Turning under the left thumb, thrust and fire under the right.
  var left = document.createElement('div');
  left.id = 'pad-left';
  left.className = 'pad';
  ['turn_left', 'turn_right'].forEach(function (action) { left.appendChild(control(action)); });
  var right = document.createElement('div');
  right.id = 'pad-right';
  right.className = 'pad';
  ['pause', 'trigger', 'thrust', 'fire'].forEach(function (action) { right.appendChild(control(action)); });
  stage.appendChild(left);
  stage.appendChild(right);

  var field = document.createElement('input');
  field.id = 'name-field';
  field.type = 'text';
  field.autocomplete = 'off';
  field.spellcheck = false;
  field.setAttribute('autocapitalize', 'words');
  field.setAttribute('enterkeyhint', 'done');
  field.setAttribute('aria-label', 'Your name');
  field.hidden = true;
  stage.appendChild(field);

  var touchHelp = document.createElement('span');
  touchHelp.id = 'touch-help';
  touchHelp.textContent = '\u25c0 \u25b6 turn \u00b7 \u25b2 thrust \u00b7 \u25cf fire \u00b7 \u2605 power-up \u00b7 ' +
                          '\u275a\u275a pause \u00b7 tap the menus';
  var keysLine = document.getElementById('keys');
  if (keysLine) keysLine.parentNode.insertBefore(touchHelp, keysLine.nextSibling);

  // Which control each finger is on; a finger may slide from one to another.
  var fingers = {};
  // Actions pressed since the game last asked, so that a quick tap counts.
  var tapped = 0;
  function actionAt(x, y) {
    var under = document.elementFromPoint(x, y);
    var button = under && under.closest ? under.closest('[data-action]') : null;
    return button ? ACTIONS.indexOf(button.getAttribute('data-action')) : -1;
  }
  function heldNow() {
    var held = 0;
    Object.keys(fingers).forEach(function (id) { if (fingers[id] >= 0) held |= 1 << fingers[id]; });
    return held;
  }
  function showHeld() {
    var held = heldNow();
    document.querySelectorAll('.pad-button').forEach(function (button) {
      var bit = 1 << ACTIONS.indexOf(button.getAttribute('data-action'));
      button.classList.toggle('held', (held & bit) !== 0);
    });
  }
  function onPadTouch(event) {
    // The controls' touches are theirs alone: SDL, listening further up,
    // would make them clicks and pointer moves too.
    event.preventDefault();
    event.stopPropagation();
    var ended = event.type === 'touchend' || event.type === 'touchcancel';
    for (var i = 0; i < event.changedTouches.length; ++i) {
      var touch = event.changedTouches[i];
      if (ended) {
        delete fingers[touch.identifier];
        continue;
      }
      var action = actionAt(touch.clientX, touch.clientY);
      if (action >= 0 && fingers[touch.identifier] !== action) tapped |= 1 << action;
      fingers[touch.identifier] = action;
    }
    showHeld();
  }
  [left, right].forEach(function (pad) {
    ['touchstart', 'touchmove', 'touchend', 'touchcancel'].forEach(function (type) {
      pad.addEventListener(type, onPadTouch, {passive: false});
    });
  });
  function letGo() {
    fingers = {};
    showHeld();
  }
  window.addEventListener('blur', letGo);
  document.addEventListener('visibilitychange', letGo);

  // What the field held when last looked at: each change becomes letters
  // taken back and letters typed, whatever the phone's keyboard did to get
  // there (a word corrected, a composition replaced).
  var typed = '';
  var shown = '';
  function takeFieldChange() {
    var now = field.value;
    var same = 0;
    while (same < shown.length && same < now.length && shown[same] === now[same]) ++same;
    typed += '\b'.repeat(shown.length - same) + now.substring(same);
    shown = now;
  }
  field.addEventListener('input', takeFieldChange);
  ['keydown', 'keyup', 'keypress'].forEach(function (type) {
    window.addEventListener(type, function (event) {
      if (event.target !== field || event.code === 'Escape') return;
      event.stopImmediatePropagation();
      if (type === 'keydown' && (event.key === 'Enter' || event.keyCode === 13)) {
        event.preventDefault();
        takeFieldChange();
        typed += '\r';
      }
    }, true);
  });

  function touchMode(on) {
    if (body.classList.contains('touch') === on) return;
    body.classList.toggle('touch', on);
    if (!on) {
      letGo();
      field.hidden = true;
      field.blur();
    } else if (entryOpen) {
      openField();
    }
  }
  var entryOpen = false;
  function openField() {
    field.hidden = false;
    field.focus({preventScroll: true});
  }

  // A phone that goes full screen at the first tap, turned to landscape where
  // the browser lets a page lock it (most phones' browsers do only in full
  // screen; a desktop's never).
  function fillTheScreen() {
    if (document.fullscreenElement || !stage.requestFullscreen) return;
    var asked;
    try { asked = stage.requestFullscreen({navigationUI: 'hide'}); } catch (refused) { return; }
    if (!asked || !asked.then) return;
    asked.then(function () {
      if (screen.orientation && screen.orientation.lock) return screen.orientation.lock('landscape');
    }).catch(function () {});
  }

  window.addEventListener('touchstart', function () { touchMode(true); }, {capture: true, passive: true});
  window.addEventListener('touchend', function () {
    if (window.Module && Module.rezarudevStarted) fillTheScreen();
  }, {capture: true, passive: true});
  window.addEventListener('keydown', function (event) {
    if (event.target !== field) touchMode(false);
  }, true);
  // No long-press menu and no selection on a touch screen; the canvas already
  // keeps its menu to itself.
  ['contextmenu', 'selectstart'].forEach(function (type) {
    window.addEventListener(type, function (event) {
      if (body.classList.contains('touch') && event.target !== field) event.preventDefault();
    }, true);
  });
  // A double tap or a pinch outside the controls zooms nothing either (the
  // page's style says the same with touch-action, for the browsers that heed it).
  document.addEventListener('touchmove', function (event) {
    if (event.touches.length > 1 && event.target !== field) event.preventDefault();
  }, {passive: false});

  window.rezarudevTouch = {
    takeHeld: function () {
      var held = heldNow() | tapped;
      tapped = 0;
      return held;
    },
    takeTyped: function () {
      var text = typed;
      typed = '';
      return text;
    },
    textEntry: function (on, editing) {
      entryOpen = on;
      typed = '';
      field.value = shown = editing;
      if (!on) {
        field.hidden = true;
        field.blur();
      } else if (body.classList.contains('touch')) {
        openField();
      }
    }
  };
})();
