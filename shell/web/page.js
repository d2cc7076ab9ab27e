// The page around the game: its layout, its dialog, the touch buttons, the
// focus hint and the end. The game calls Module.stageSizes, Module.arrange,
// Module.drawn, Module.showBox and Module.ended. A portal's build tells its portal what
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
  // (Not where the portal's rules forbid a full screen of the game's own.)
  if ((document.fullscreenEnabled || document.webkitFullscreenEnabled) && (!portal || portal.fullScreen)) {
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

  // The room the buttons and the help line leave the game, under them
  // (tall) and between them (wide), in whole device pixels: the game lays
  // the board and a box's room out in each and keeps the one with the
  // larger board.
  var main = document.querySelector('main'), stage = $('stage'), boxAt = null, arranged = 'tall';
  function stageSizes() {
    var ratio = devicePixelRatio || 1, sizes = [];
    ['tall', 'wide'].forEach(function (arrangement) {
      main.className = arrangement;
      var room = stage.getBoundingClientRect();
      sizes.push(Math.floor(room.width * ratio), Math.floor(room.height * ratio));
    });
    main.className = arranged;
    return sizes;
  }

  // The arrangement the game chose, the board's canvas where it put it and
  // the place of its box (device pixels from the room's corner), the box's
  // text `text` device pixels high. The room's corner is snapped to a
  // device pixel, so that the cells stay sharp.
  function arrange(wide, at, box, text) {
    var ratio = devicePixelRatio || 1;
    arranged = wide ? 'wide' : 'tall';
    main.className = arranged;
    var room = stage.getBoundingClientRect();
    var left = Math.round(room.left * ratio) / ratio, top = Math.round(room.top * ratio) / ratio;
    board.style.left = left - room.left + at.x / ratio + 'px';
    board.style.top = top - room.top + at.y / ratio + 'px';
    board.style.width = at.width / ratio + 'px';
    board.style.height = at.height / ratio + 'px';
    boxAt = { left: left + box.x / ratio, top: top + box.y / ratio, width: box.width / ratio,
      height: box.height / ratio, beside: box.x >= at.x + at.width, text: text / ratio };
    board.dataset.box = [boxAt.left, boxAt.top, boxAt.width, boxAt.height].join(' ');
    place();
  }

  // The dialog where the game puts a box, its text at the box's size (12 px
  // at the least), never over a cell: beside the board, from the place's
  // left edge and centred top to bottom; below it, from its top edge and
  // centred across. Where the place is smaller than the dialog (a viewport
  // too small for both), it grows away from the board, over the buttons,
  // which do nothing while it is up.
  function place() {
    if (!box.open || !boxAt) return;
    box.style.fontSize = Math.max(boxAt.text, 12) + 'px';
    box.style.minWidth = boxAt.width + 'px';
    var width = box.offsetWidth, height = box.offsetHeight;
    var right = document.documentElement.clientWidth, bottom = document.documentElement.clientHeight;
    var left = boxAt.beside ? boxAt.left : boxAt.left + (boxAt.width - width) / 2;
    var top = boxAt.beside ? boxAt.top + (boxAt.height - height) / 2 : boxAt.top;
    box.style.left = Math.max(0, Math.min(left, right - width)) + 'px';
    box.style.top = Math.max(0, Math.min(top, bottom - height)) + 'px';
  }
  // The room changes with the viewport, the help line's length (the focus
  // hint) and a full screen: the game lays the board out again on a resize.
  var relayout = function () { dispatchEvent(new Event('resize')); };
  new ResizeObserver(relayout).observe(stage);

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
    if (portal) portal.answered(loss && answer === 1, go, holdForBreak);
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

  // The player is away while the page is hidden (another tab, a phone's
  // home screen, the screen locked) and while a portal's ad break holds the
  // game: its clock stands still and its keys are dropped meanwhile.
  var held = false;
  function awayOrBack() {
    if (Module.setAway && board.isConnected) Module.setAway(document.hidden || held);
  }
  function holdForBreak(on) {
    held = on;
    awayOrBack();
  }
  document.addEventListener('visibilitychange', awayOrBack);

  // The worker keeps the page for playing offline; asked at every visit
  // whether there is a new build, it takes that one for the next. Not on a
  // portal: in its origin the worker would answer the portal's requests.
  try {
    if (!portal) {
      navigator.serviceWorker.register('sw.js')
        .then(function (registration) { return registration.update(); })
        .catch(function () {});
    }
  } catch (error) {
    // No service worker here (an embedding page's sandbox): the game plays
    // on, it only needs the network to start next time.
  }
  board.focus({ preventScroll: true });
  showFocus();

  return {
    stageSizes: stageSizes,
    arrange: arrange,
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
