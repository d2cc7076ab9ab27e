// The page's side of a game portal, in the portal's builds only: through
// the adapter loaded before this file (poki.js, crazygames.js,
// gamedistribution.js) it tells the portal's SDK when the game loads and
// when the player is playing, and asks it for an ad break before the new
// game that follows a loss. Both scripts come before the SDK's, which loads
// asynchronously: the game never waits for it. Calls made before the SDK is
// ready wait for it, in order, however long it takes; the SDK is given up
// only when its script fails to load, its start fails or it says it is
// disabled, and the console says so. The page calls it (page.js).
var blockdropPortal = (function (adapter) {
  'use strict';
  var longestBreak = 120000;

  // Fails with `what` unless `promise` settles within `ms`.
  function within(promise, ms, what) {
    return new Promise(function (resolve, reject) {
      var timer = setTimeout(function () { reject(new Error(what + ' took over ' + ms + ' ms')); }, ms);
      promise.then(resolve, reject).finally(function () { clearTimeout(timer); });
    });
  }

  // The SDK's global once its script is in: the script comes after this
  // one, so its load or error is heard on its way up to the document.
  var script = new Promise(function (resolve, reject) {
    var heard = function (event) {
      if (!event.target || event.target.id !== 'portal-sdk') return;
      if (event.type === 'load' && window[adapter.global]) resolve(window[adapter.global]);
      else reject(new Error('its script did not load'));
    };
    document.addEventListener('load', heard, true);
    document.addEventListener('error', heard, true);
  });

  // 'waiting' until the SDK has started, then 'ready', or 'gone'.
  var state = 'waiting';
  var started = script.then(adapter.start).then(function () { state = 'ready'; }, function (error) {
    state = 'gone';
    console.warn('Block Drop plays without ' + adapter.name + "'s SDK: " + error.message);
  });

  // Each call once the SDK is ready, in the order made, a break's end
  // awaited before the next; none once it is gone.
  var chain = started;
  function tell(call) {
    chain = chain.then(function () {
      if (state !== 'ready') return undefined;
      return Promise.resolve().then(call).catch(function (error) {
        console.warn(adapter.name + "'s SDK failed: " + error.message);
      });
    });
    return chain;
  }
  if (adapter.loading) tell(adapter.loading);

  // A break, the game held still until it ends, whatever its outcome.
  function adBreak() {
    return tell(function () {
      return within(Promise.resolve().then(adapter.adBreak), longestBreak, 'the ad break');
    });
  }

  // Playing: since the first input of this game, with no box up, the page
  // shown and the game not ended.
  var playing = false, input = false, boxUp = false, ended = false, loaded = false;
  function update() {
    var now = input && !boxUp && !ended && !document.hidden;
    if (now === playing) return;
    playing = now;
    tell(now ? adapter.gameplayStart : adapter.gameplayStop);
  }
  document.addEventListener('visibilitychange', update);

  return {
    // Whether the page may offer a full screen of its own.
    fullScreen: adapter.fullScreen !== false,
    drawn: function () {
      if (!loaded) tell(adapter.loaded);
      loaded = true;
    },
    input: function () {
      if (boxUp || ended) return;
      input = true;
      update();
    },
    box: function () {
      boxUp = true;
      update();
    },
    // `go` hands the box's answer to the game. Before the new game that
    // follows a loss, an ad break: with the SDK ready, the game waits for
    // its end; before it is ready, the game goes on at once and the break
    // comes when the SDK is, `hold` holding the game still meanwhile.
    answered: function (newGameAfterLoss, go, hold) {
      var resume = function () {
        boxUp = false;
        input = false;
        go();
      };
      if (!newGameAfterLoss || state === 'gone') return resume();
      if (state === 'waiting') {
        resume();
        tell(function () { hold(true); });
        adBreak().then(function () { hold(false); });
        return undefined;
      }
      adBreak().then(resume);
      return undefined;
    },
    ended: function () {
      ended = true;
      update();
    },
  };
})(blockdropPortalAdapter);
