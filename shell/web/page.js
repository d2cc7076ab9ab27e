// The page around the game: its layout, its dialog, the touch buttons, the
// focus hint and the end. The game calls Module.boardScale, Module.drawn,
// Module.showBox and Module.ended. A portal's build tells its portal what
// happens (portal/portal.js); the plain build has none.
var Module = (function () {
  var $ = function (id) { return document.getElementById(id); };
  var board = $('board'), box = $('box'), hint = $('focus'), answered = null, loss = false;
  var portal = window.blockdropPortal || null;

  // The keys reach the game on the window; say when they cannot. A frame
  // may get the keys before its document says it has the focus, so a key
  // that arrives settles it too.
  function showFocus(event) {
    hint.hidden = (event && event.type === 'keydown') || document.hasFocus() || !board.isConnected;
  }
  ['focus', 'blur', 'keydown'].forEach(function (type) { addEventListener(type, showFocus, true); });
  // A key that reaches the game (the touch buttons' too) is the player's input.
  addEventListener('keydown', function () { if (portal) portal.input(); });
  board.addEventListener('pointerdown', function () { board.focus({ preventScroll: true }); });

  // A button is an arrow key: a press is one key-down, holding it repeats
  // as a held key does.
  function hold(button, key) {
    var timer = 0;
    var press = function (repeat) {
      dispatchEvent(new KeyboardEvent('keydown', { key: key, repeat: repeat }));
    };
    var stop = function () { clearTimeout(timer); timer = 0; };
    button.addEventListener('pointerdown', function (event) {
      if (event.button !== 0) return;
      event.preventDefault(); // the focus stays where the keys are read
      if (!document.hasFocus()) board.focus({ preventScroll: true });
      stop();
      press(false);
      button.setPointerCapture(event.pointerId);
      timer = setTimeout(function again() { press(true); timer = setTimeout(again, 40); }, 250);
    });
    ['pointerup', 'pointercancel', 'lostpointercapture'].forEach(function (type) {
      button.addEventListener(type, stop);
    });
    button.addEventListener('contextmenu', function (event) { event.preventDefault(); });
    return stop;
  }
  var stops = [hold($('left'), 'ArrowLeft'), hold($('right'), 'ArrowRight')];

  // Full screen where the browser allows it (not in a frame without
  // allow="fullscreen", say): the control, or Alt+Return as on the desktop,
  // which never reaches the dialog's buttons. F11 stays the browser's.
  var full = $('full'), root = document.documentElement;
  var fullScreen = function () { return document.fullscreenElement || document.webkitFullscreenElement; };
  function switchFullScreen() {
    var done = fullScreen()
      ? (document.exitFullscreen || document.webkitExitFullscreen).call(document)
      : (root.requestFullscreen || root.webkitRequestFullscreen).call(root, { navigationUI: 'hide' });
    if (done && done.catch) done.catch(function () {}); // refused: the page stays as it is
  }
  if (document.fullscreenEnabled || document.webkitFullscreenEnabled) {
    full.hidden = false;
    full.addEventListener('pointerdown', function (event) { event.preventDefault(); });
    full.addEventListener('click', switchFullScreen);
    ['fullscreenchange', 'webkitfullscreenchange'].forEach(function (type) {
      document.addEventListener(type, function () {
        full.textContent = fullScreen() ? 'Leave full screen' : 'Full screen';
      });
    });
    addEventListener('keydown', function (event) {
      if (event.key !== 'Enter' || !event.altKey || event.repeat) return;
      event.preventDefault();
      event.stopPropagation();
      switchFullScreen();
    }, true);
  }

  // The board's scale in CSS pixels to a pixel of the game's window of
  // `width` x `height`: the largest that fits the room the buttons and the
  // help line leave, under them (tall) or between them (wide), whichever
  // gives more, in whole device pixels.
  var main = document.querySelector('main'), stage = $('stage');
  function boardScale(width, height) {
    var ratio = devicePixelRatio || 1, best = null;
    ['tall', 'wide'].forEach(function (arrangement) {
      main.className = arrangement;
      var room = stage.getBoundingClientRect();
      var scale = Math.min(Math.floor(room.width * ratio) / (width * ratio),
        Math.floor(room.height * ratio) / (height * ratio));
      if (!best || scale > best.scale) best = { arrangement: arrangement, scale: scale };
    });
    main.className = best.arrangement;
    return Math.max(best.scale, 0.05);
  }

  // The board in the middle of its room, its edges on device pixels so that
  // the cells stay sharp.
  function centre() {
    var ratio = devicePixelRatio || 1, room = stage.getBoundingClientRect(), size = board.getBoundingClientRect();
    var snap = function (start, free) { return Math.round((start + free / 2) * ratio) / ratio - start; };
    board.style.left = snap(room.left, room.width - size.width) + 'px';
    board.style.top = snap(room.top, room.height - size.height) + 'px';
  }

  // The dialog keeps clear of the cells and inside the viewport: to their
  // right, else below them, else to their left, else above them.
  function place() {
    if (!box.open) return;
    var at = board.getBoundingClientRect();
    var size = (board.dataset.cells || '0 0').split(' ').map(Number);
    var cells = { left: at.left, top: at.top, right: at.left + size[0], bottom: at.top + size[1] };
    var width = box.offsetWidth, height = box.offsetHeight, gap = 8;
    var room = { right: document.documentElement.clientWidth - gap, bottom: document.documentElement.clientHeight - gap };
    var within = function (value, low, high) { return Math.max(low, Math.min(value, high)); };
    var top = within(cells.top, gap, room.bottom - height), left = within(cells.left, gap, room.right - width);
    var spots = [
      { left: cells.right + gap, top: top, fits: cells.right + gap + width <= room.right },
      { left: left, top: cells.bottom + gap, fits: cells.bottom + gap + height <= room.bottom },
      { left: cells.left - gap - width, top: top, fits: cells.left - gap - width >= gap },
      { left: left, top: cells.top - gap - height, fits: cells.top - gap - height >= gap },
    ];
    var spot = spots.filter(function (s) { return s.fits; })[0] || spots[1];
    box.style.left = spot.left + 'px';
    box.style.top = Math.min(spot.top, room.bottom - height) + 'px';
  }
  addEventListener('resize', place);
  new ResizeObserver(function () { centre(); place(); }).observe(board);
  new ResizeObserver(centre).observe(stage);
  // A longer help line (the focus hint) takes room from the board.
  new ResizeObserver(function () { dispatchEvent(new Event('resize')); }).observe($('line'));

  // The keys the game keeps never scroll an embedding page either, even
  // when the game has ended or the dialog is up (Space still presses a
  // button); Tab still leaves the frame.
  addEventListener('keydown', function (event) {
    var arrow = /^Arrow/.test(event.key), space = event.key === ' ' && !(event.target instanceof HTMLButtonElement);
    if (arrow || space) event.preventDefault();
  }, true);

  // A move to a screen of another density changes devicePixelRatio but
  // fires no resize of its own; the game repaints on one.
  (function watch() {
    matchMedia('(resolution: ' + devicePixelRatio + 'dppx)').addEventListener('change', function () {
      dispatchEvent(new Event('resize'));
      watch();
    }, { once: true });
  })();

  // No form: a sandboxed frame may not submit one, not even to a dialog.
  ['box-ok', 'box-cancel'].forEach(function (id) {
    $(id).addEventListener('click', function () { box.close($(id).value); });
  });
  // Keys typed into the dialog are the dialog's own.
  box.addEventListener('keydown', function (event) { event.stopPropagation(); });
  box.addEventListener('close', function () {
    var done = answered, answer = Number(box.returnValue) || 0;
    answered = null;
    board.focus({ preventScroll: true });
    showFocus();
    // Escape closes it with no button (0): the game answers for that.
    var go = function () { done(answer); };
    if (portal) portal.answered(loss && answer === 1, go);
    else go();
  });

  // Once a pad is used, the dialog's buttons show its marks.
  function padUsed(marks) {
    if (portal) portal.input();
    ['box-ok', 'box-cancel'].forEach(function (id, i) {
      var mark = $(id).querySelector('.mark');
      if (mark.dataset.mark === marks[i]) return;
      mark.dataset.mark = marks[i];
      mark.textContent = marks[i].length === 1 ? marks[i].toUpperCase() : '';
      mark.hidden = false;
    });
    place();
  }

  function end(text) {
    if (portal) portal.ended();
    ['stage', 'pad', 'line'].forEach(function (id) { if ($(id)) $(id).remove(); });
    main.className = 'ended';
    $('status').textContent = text;
    $('again').hidden = false;
    $('again').focus();
  }
  $('again').addEventListener('click', function () { location.reload(); });

  // The worker keeps the page for playing offline; asked at every visit
  // whether there is a new build, it takes that one for the next.
  try {
    navigator.serviceWorker.register('sw.js')
      .then(function (registration) { return registration.update(); })
      .catch(function () {});
  } catch (error) {
    // No service worker here (an embedding page's sandbox): the game plays
    // on, it only needs the network to start next time.
  }
  board.focus({ preventScroll: true });
  showFocus();

  return {
    boardScale: boardScale,
    drawn: function () { if (portal) portal.drawn(); },
    padUsed: padUsed,
    // The box with Cancel is the loss's; its OK starts a new game.
    showBox: function (prompt, title, cancel, done) {
      stops.forEach(function (stop) { stop(); });
      if (portal) portal.box();
      loss = !!cancel;
      $('box-title').textContent = title;
      $('box-prompt').textContent = prompt;
      $('box-cancel').hidden = !cancel;
      answered = done;
      box.returnValue = '';
      box.showModal();
      place();
      $('box-ok').focus();
    },
    ended: function () { end('The game has ended.'); },
    onAbort: function () { end('The game stopped on an error.'); },
  };
})();
