// GameDistribution's SDK behind the page's portal interface (portal.js).
// Its options, the game's id among them (given at build time), are set here,
// before its script loads. It has no calls for loading or play; around an ad
// it sends SDK_GAME_PAUSE and then SDK_GAME_START, and a break lasts until
// both showAd() has settled and the game may start again.
var blockdropPortalAdapter = (function () {
  var paused = false, resumed = [], settle = {};
  var once = function (name) {
    return new Promise(function (resolve) { settle[name] = resolve; });
  };
  var ready = once('SDK_READY'), failed = once('SDK_ERROR');
  window.GD_OPTIONS = {
    gameId: '@GAME_ID@',
    onEvent: function (event) {
      if (event.name === 'SDK_GAME_PAUSE') paused = true;
      if (event.name === 'SDK_GAME_START') {
        paused = false;
        resumed.splice(0).forEach(function (resolve) { resolve(); });
      }
      if (settle[event.name]) settle[event.name](event);
    },
  };
  return {
    name: 'GameDistribution',
    global: 'gdsdk',
    start: function () {
      return Promise.race([ready, failed.then(function (event) {
        throw new Error('it failed: ' + (event.message || event.name));
      })]);
    },
    loaded: function () {},
    gameplayStart: function () {},
    gameplayStop: function () {},
    adBreak: function () {
      return Promise.resolve(gdsdk.showAd()).catch(function () {}).then(function () {
        return paused ? new Promise(function (resolve) { resumed.push(resolve); }) : undefined;
      });
    },
  };
})();
