// The page's service worker: keeps one build of the page for offline play.
// The build step fills in BUILD (a hash over every file of the build) and
// FILES (the page's files), so that any changed file makes a new worker.
// A new worker stores every file of its build in a cache of its own before
// it takes over (a failed download leaves the old build in place, whole),
// then deletes the older builds' caches. Every request for a file of the
// page is answered from the build's cache; nothing is ever mixed.
'use strict';

const BUILD = '@BUILD@';
const FILES = []; // the page's files, filled in by the build
const PREFIX = 'tessaril-';
const CACHE = PREFIX + BUILD;

self.addEventListener('install', event => {
  event.waitUntil(caches.open(CACHE)
    .then(cache => cache.addAll(FILES.map(name => new Request(name, {cache: 'reload'}))))
    .then(() => self.skipWaiting(),
          error => caches.delete(CACHE).then(() => { throw error; })));
});

self.addEventListener('activate', event => {
  event.waitUntil(caches.keys()
    .then(names => Promise.all(names.filter(name => name.startsWith(PREFIX) && name !== CACHE)
                                    .map(name => caches.delete(name))))
    .then(() => self.clients.claim()));
});

self.addEventListener('message', event => {
  if (event.data === 'take-over') self.skipWaiting();
});

// The page's options ride in its query (?seed=...): the cached page answers
// them all.
self.addEventListener('fetch', event => {
  const request = event.request;
  if (request.method !== 'GET' || new URL(request.url).origin !== self.location.origin) return;
  event.respondWith(caches.open(CACHE)
    .then(cache => cache.match(request, {ignoreSearch: true}))
    .then(hit => hit || fetch(request)));
});
