// CrazyGames' SDK behind the page's portal interface (portal.js). Off its
// site (and localhost) the SDK is disabled and every call would throw.
var blockdropPortalAdapter = {
  name: 'CrazyGames',
  global: 'CrazyGames',
  start: function (sdk) {
    return sdk.SDK.init().then(function () {
      if (sdk.SDK.environment === 'disabled') throw new Error('it is disabled on this site');
      sdk.SDK.game.loadingStart();
    });
  },
  loaded: function () { CrazyGames.SDK.game.loadingStop(); },
  gameplayStart: function () { CrazyGames.SDK.game.gameplayStart(); },
  gameplayStop: function () { CrazyGames.SDK.game.gameplayStop(); },
  adBreak: function () {
    return new Promise(function (done) {
      CrazyGames.SDK.ad.requestAd('midgame', { adFinished: done, adError: done });
    });
  },
};
