// CrazyGames' SDK (v3) behind the page's portal interface (portal.js). Off
// its site (and localhost) the SDK says it is disabled, and every call would
// throw. Its rules forbid a full screen control of the game's own: the
// portal's frame has one.
var blockdropPortalAdapter = {
  name: 'CrazyGames',
  global: 'CrazyGames',
  fullScreen: false,
  start: function (sdk) {
    return sdk.SDK.init().then(function () {
      if (sdk.SDK.environment === 'disabled') throw new Error('it is disabled on this site');
    });
  },
  // From the page's start: the first thing sent once the SDK is ready.
  loading: function () { CrazyGames.SDK.game.loadingStart(); },
  loaded: function () { CrazyGames.SDK.game.loadingStop(); },
  gameplayStart: function () { CrazyGames.SDK.game.gameplayStart(); },
  gameplayStop: function () { CrazyGames.SDK.game.gameplayStop(); },
  adBreak: function () {
    return new Promise(function (done) {
      CrazyGames.SDK.ad.requestAd('midgame', { adFinished: done, adError: done });
    });
  },
};
