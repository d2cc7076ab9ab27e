// The pads: read through the Gamepad API (the standard mapping) once per
// frame while one is connected and the page is visible, and not at all
// otherwise. What a pad's controls mean is the game's own (shell/gamepads),
// reached through the functions that pads.cpp exports; Module.padsStart
// hands over where the game keeps its pads.
(function () {
  'use strict';
  var game = 0, frame = 0, seen = {}, told = false;

  // Bits as pads.hpp names them: D-pad left and right, the shoulders, A, B
  // and Start, at their places in the standard mapping.
  var buttons = [[14, 1], [15, 2], [4, 4], [5, 8], [0, 16], [1, 32], [9, 64]];
  function bits(pad) {
    return buttons.reduce(function (all, pair) {
      var button = pad.buttons[pair[0]];
      return all | (button && button.pressed ? pair[1] : 0);
    }, 0);
  }

  function pads() {
    var all = navigator.getGamepads ? navigator.getGamepads() : [];
    return Array.prototype.filter.call(all || [], function (pad) {
      return pad && pad.connected && pad.mapping === 'standard';
    });
  }

  // The help line says so once a pad is there.
  function tell() {
    var help = document.getElementById('help');
    if (told || !help) return;
    told = true;
    var line = document.createElement('span');
    line.id = 'pad-help';
    line.textContent = ' A pad\u2019s D-pad, left stick and shoulder buttons shift it too; ' +
      'A answers OK, B Cancel.';
    help.appendChild(line);
  }

  function poll() {
    frame = 0;
    // The board is gone once the game has ended.
    if (!game || document.hidden || !document.getElementById('board')) return;
    var now = {}, answer = 0;
    pads().forEach(function (pad) {
      now[pad.index] = true;
      var given = Module._blockdrop_pad_read(game, pad.index, bits(pad), pad.axes[0] || 0);
      answer = answer || given;
    });
    Object.keys(seen).forEach(function (index) {
      if (!now[index]) Module._blockdrop_pad_detach(game, Number(index));
    });
    seen = now;
    Module._blockdrop_pads_repeat(game);
    var box = document.getElementById('box');
    if (answer && box && box.open) box.close(String(answer));
    if (Object.keys(now).length > 0) {
      tell();
      frame = requestAnimationFrame(poll);
    }
  }

  function start() {
    if (!frame && game && !document.hidden) frame = requestAnimationFrame(poll);
  }
  addEventListener('gamepadconnected', start);
  addEventListener('gamepaddisconnected', start);
  document.addEventListener('visibilitychange', start);
  Module.padsStart = function (where) { game = where; start(); };
})();
