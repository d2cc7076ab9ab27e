// The page's side of a game portal, in the portal's builds only: through
// the adapter loaded before this file (poki.js, crazygames.js) it tells the
// portal's SDK when the game has loaded and when the player is playing, and
// asks it for an ad break before the new game that follows a loss. The page
// calls it (page.js); without an SDK that answers within a few seconds the
// game plays as the plain build does, and the console says so.
var blockdropPortal = (function (adapter) {
  'use strict';
  var answerWithin = 3000, longestBreak = 120000;

  // Fails with `what` unless `promise` settles within `ms`.
  function within(promise, ms, what) {
    return new Promise(function (resolve, reject) {
      var timer = setTimeout(function () { reject(new Error(what + ' gave no answer in ' + ms + ' ms')); }, ms);
      promise.then(resolve, reject).finally(function () { clearTimeout(timer); });
    });
  }

  // The SDK's script is loaded asynchronously, so that a portal's slow
  // server never holds the game back: its global, once the script is in.
  function sdkScript() {
    return new Promise(function (resolve, reject) {
      var script = document.getElementById('portal-sdk');
      var found = function () {
        if (window[adapter.global]) resolve(window[adapter.global]);
        else reject(new Error('its script did not load'));
      };
      if (window[adapter.global] || !script) return found();
      script.addEventListener('load', found);
      script.addEventListener('error', found);
    });
  }

  var ready = within(sdkScript().then(adapter.start), answerWithin, adapter.name + "'s SDK")
    .then(function () { return true; }, function (error) {
      console.warn('Block Drop plays without ' + adapter.name + "'s SDK: " + error.message);
      return false;
    });

  // Each call once the SDK is ready, in the order made; none without it.
  function tell(call) {
    ready.then(function (ok) {
      if (!ok) return;
      try {
        call();
      } catch (error) {
        console.warn(adapter.name + "'s SDK failed: " + error.message);
      }
    });
  }

  // Playing: since the first input of this game, with no box up, the page
  // shown and the game not ended.
  var started = false, boxUp = false, ended = false, playing = false, loaded = false;
  function update() {
    var now = started && !boxUp && !ended && !document.hidden;
    if (now === playing) return;
    playing = now;
    tell(now ? adapter.gameplayStart : adapter.gameplayStop);
  }
  document.addEventListener('visibilitychange', update);

  return {
    drawn: function () {
      if (!loaded) tell(adapter.loaded);
      loaded = true;
    },
    input: function () {
      if (boxUp || ended) return;
      started = true;
      update();
    },
    box: function () {
      boxUp = true;
      update();
    },
    // `go` hands the box's answer to the game. Before the new game that
    // follows a loss, once the ad break has ended, whatever its outcome:
    // until then the game stands still as with the box up.
    answered: function (newGameAfterLoss, go) {
      var resume = function () {
        boxUp = false;
        started = false;
        go();
      };
      if (!newGameAfterLoss) return resume();
      ready.then(function (ok) {
        return ok && within(Promise.resolve().then(adapter.adBreak), longestBreak, 'the ad break');
      }).catch(function (error) {
        console.warn(adapter.name + "'s ad break failed: " + error.message);
      }).then(resume);
    },
    ended: function () {
      ended = true;
      update();
    },
  };
})(blockdropPortalAdapter);
