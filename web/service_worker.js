// Keeps the site's own files so that the machine plays without a network.
// The build writes in the cache's name, a hash of every file of the site,
// and the list of those files: a changed site is a new worker and a new
// cache, and the old cache goes once the new worker takes over.
const CACHE = '@CACHE@';
const FILES = ['@FILES@'];

self.addEventListener('install', (event) => {
  // Straight from the server, past any copy the browser's HTTP cache holds.
  event.waitUntil(caches.open(CACHE).then((cache) =>
    cache.addAll(FILES.map((file) => new Request(file, { cache: 'reload' })))));
});

// A page that has started tells a waiting worker to take over: the files
// it started from are all loaded, so no page ever mixes two versions.
self.addEventListener('message', (event) => {
  if (event.data === 'take over') self.skipWaiting();
});

self.addEventListener('activate', (event) => {
  event.waitUntil(caches.keys()
    .then((names) => Promise.all(names.filter((name) => name !== CACHE).map((name) => caches.delete(name))))
    .then(() => self.clients.claim()));
});

// The kept copy first; the address's switches (?Language=1) name the same
// page. Anything not kept goes to the network as it would.
self.addEventListener('fetch', (event) => {
  const { request } = event;
  if (request.method !== 'GET' || !request.url.startsWith(self.registration.scope)) return;
  event.respondWith(caches.open(CACHE)
    .then((cache) => cache.match(request, { ignoreSearch: true }))
    .then((kept) => kept ?? fetch(request)));
});
