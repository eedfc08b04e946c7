// The page's service worker: keeps one build of the page for offline play.
// The build step fills in BUILD (a hash over every file of the build) and
// FILES (the page's files with the SHA-256 of each), so that any changed file
// makes a new worker. A new worker stores every file of its build in a cache
// of its own before it takes over (a failed download leaves the old build in
// place, whole), then deletes the older builds' caches. A file the browser's
// cache holds (the page downloaded it moments before it registered the
// worker) is taken from there when its hash is the build's, and downloaded
// again only otherwise. Every request for a file of the page is answered from
// the build's cache; nothing is ever mixed.
'use strict';

const BUILD = '@BUILD@';
const FILES = []; // the page's files as [name, SHA-256 in hex], filled in by the build
const PREFIX = 'tessaril-';
// The sound's format the page plays (its registration's ?music=ogg or mp3):
// only those tracks and fetched effects are kept (the packaged effects are
// Ogg Vorbis, their MP3 copies beside the page).
const MUSIC = new URL(self.location.href).searchParams.get('music') === 'mp3' ? '.mp3' : '.ogg';
const FETCHED = ['data/musics/', 'data/sounds/'];
const KEPT = FILES.filter(([name]) => !FETCHED.some(folder => name.startsWith(folder)) || name.endsWith(MUSIC));
const CACHE = PREFIX + BUILD;

// The response when its body is the file of this build, else an error.
function checked(response, name, sum) {
  if (!response.ok) throw new Error(name + ': ' + response.status);
  return response.clone().arrayBuffer()
    .then(body => crypto.subtle.digest('SHA-256', body))
    .then(digest => {
      const hex = Array.from(new Uint8Array(digest), b => b.toString(16).padStart(2, '0')).join('');
      if (hex !== sum) throw new Error(name + ' is not of this build');
      return response;
    });
}

// The file from the browser's cache when it is this build's, else from the server.
function keep(cache, [name, sum]) {
  return fetch(name, {cache: 'force-cache'})
    .then(response => checked(response, name, sum))
    .catch(() => fetch(name, {cache: 'reload'}).then(response => checked(response, name, sum)))
    .then(response => cache.put(name, response));
}

self.addEventListener('install', event => {
  event.waitUntil(caches.open(CACHE)
    .then(cache => Promise.all(KEPT.map(file => keep(cache, file))))
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
