// Poki's SDK behind the page's portal interface (portal.js). Its init()
// fails where an ad blocker stops the ads.
var blockdropPortalAdapter = {
  name: 'Poki',
  global: 'PokiSDK',
  start: function (sdk) { return sdk.init(); },
  loaded: function () { PokiSDK.gameLoadingFinished(); },
  gameplayStart: function () { PokiSDK.gameplayStart(); },
  gameplayStop: function () { PokiSDK.gameplayStop(); },
  adBreak: function () { return PokiSDK.commercialBreak(); },
};
