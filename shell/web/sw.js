// Keeps the page's files so that the game starts with the network gone:
// each is served from this build's cache first and fetched only when it is
// missing. The cache is named after the worker's scope and a digest of the
// built files, so a new build is a new worker, and on activating it deletes
// the older builds' caches of its own scope only: other builds served from
// other folders of the same site keep theirs.
const scope = `blockdrop ${self.registration.scope} `;
const cache = `${scope}@PAGE_VERSION@`;
const files = [@PAGE_FILES@];

self.addEventListener('install', (event) => {
  event.waitUntil(caches.open(cache)
    .then((open) => open.addAll(files.map((file) => new Request(file, { cache: 'reload' }))))
    .then(() => self.skipWaiting()));
});

self.addEventListener('activate', (event) => {
  event.waitUntil(caches.keys()
    .then((names) => Promise.all(names
      .filter((name) => name.startsWith(scope) && name !== cache)
      .map((name) => caches.delete(name))))
    .then(() => self.clients.claim()));
});

self.addEventListener('fetch', (event) => {
  if (event.request.method !== 'GET') return;
  event.respondWith(caches.open(cache)
    .then((open) => open.match(event.request, { ignoreSearch: true }))
    .then((kept) => kept ?? fetch(event.request)));
});
