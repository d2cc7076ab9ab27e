// The page around the game: its dialog, the touch buttons, the focus hint
// and the end. The game calls Module.showBox and Module.ended.
var Module = (function () {
  var $ = function (id) { return document.getElementById(id); };
  var board = $('board'), box = $('box'), answered = null, withCancel = 0;

  // The keys reach the game on the window; say when they cannot. A frame
  // may get the keys before its document says it has the focus, so a key
  // that arrives settles it too.
  function showFocus(event) {
    $('focus').hidden = (event && event.type === 'keydown') || document.hasFocus() || !board.isConnected;
  }
  ['focus', 'blur', 'keydown'].forEach(function (type) { addEventListener(type, showFocus, true); });
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

  // The dialog sits to the right of the cells when there is room, else
  // below them, in page coordinates so that a short screen can scroll to it.
  function place() {
    if (!box.open) return;
    var at = board.getBoundingClientRect();
    var cells = (board.dataset.cells || '0 0').split(' ').map(Number);
    var left = at.left + cells[0] + 12, top = at.top;
    if (left + box.offsetWidth > document.documentElement.clientWidth - 8) {
      left = at.left;
      top = at.top + cells[1] + 12;
    }
    box.style.left = left + scrollX + 'px';
    box.style.top = top + scrollY + 'px';
  }
  addEventListener('resize', place);
  new ResizeObserver(place).observe(board);

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
    var done = answered;
    answered = null;
    board.focus({ preventScroll: true });
    showFocus();
    // Escape closes it with no button: Cancel, or OK on a box without one.
    done(box.returnValue === '1' || !withCancel ? 1 : 2);
  });

  function end(text) {
    ['board', 'pad', 'help'].forEach(function (id) { if ($(id)) $(id).remove(); });
    $('focus').hidden = true;
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
    showBox: function (prompt, title, cancel, done) {
      stops.forEach(function (stop) { stop(); });
      $('box-title').textContent = title;
      $('box-prompt').textContent = prompt;
      $('box-cancel').hidden = !cancel;
      withCancel = cancel;
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
