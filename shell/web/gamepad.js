// The pads: read through the Gamepad API (the standard mapping) once per
// frame while one is connected and the page is visible, and not at all
// otherwise. What a pad's controls mean is the game's own (shell/gamepads),
// reached through the functions that pads.cpp exports; Module.padsStart
// hands over where the game keeps its pads.
(function () {
  'use strict';
  var game = 0, frame = 0, seen = {}, told = false;

  // The kind of pad, from the id the browser gives it (its maker's USB id
  // or name), and the marks of the buttons that answer OK and Cancel: the
  // standard mapping's bottom and right face buttons (a Nintendo pad's B
  // and A).
  function marksOf(id) {
    if (/054c|playstation|dualshock|dualsense/i.test(id)) return ['cross', 'circle'];
    if (/057e|nintendo|switch/i.test(id)) return ['b', 'a'];
    return ['a', 'b'];
  }

  // Every button of the standard mapping, as bit i for button i; which of
  // them the game reads, and what for, is its own (pads.hpp).
  function bits(pad) {
    var all = 0;
    for (var i = 0; i < Math.min(pad.buttons.length, 31); i++) {
      if (pad.buttons[i] && pad.buttons[i].pressed) all |= 1 << i;
    }
    return all;
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
      if (bits(pad) || Math.abs(pad.axes[0] || 0) > 0.5) Module.padUsed(marksOf(pad.id));
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
