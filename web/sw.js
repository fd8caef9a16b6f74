// The page's service worker: it keeps the page's files, so that after one
// visit the show plays without the network. The build writes its version, a
// hash of those files, into this file; a new build is therefore a new worker,
// which fills a cache of its own and then deletes the older ones.
"use strict";

const VERSION = "@PIXELFOLK_WEB_VERSION@";
const CACHE = `pixelfolk-${VERSION}`;
const FILES = [
  "./",
  "index.html",
  "player.js",
  "pixelfolk.js",
  "pixelfolk.wasm",
  "pixelfolk.data",
  "manifest.webmanifest",
  "icon-192.png",
  "icon-512.png",
];

// "no-cache" asks the server again: the browser's own cache may still hold
// the files of the build before.
self.addEventListener("install", (event) => {
  event.waitUntil(
    caches
      .open(CACHE)
      .then((cache) => cache.addAll(FILES.map((file) => new Request(file, { cache: "no-cache" }))))
      .then(() => self.skipWaiting()),
  );
});

self.addEventListener("activate", (event) => {
  event.waitUntil(
    caches
      .keys()
      .then((names) =>
        Promise.all(names.filter((name) => name.startsWith("pixelfolk-") && name !== CACHE).map((name) => caches.delete(name))),
      )
      .then(() => self.clients.claim()),
  );
});

// The kept files first; anything else, or a file the cache lost, from the network.
self.addEventListener("fetch", (event) => {
  if (event.request.method !== "GET") return;
  event.respondWith(
    caches
      .open(CACHE)
      .then((cache) => cache.match(event.request, { ignoreSearch: true }))
      .then((kept) => kept || fetch(event.request)),
  );
});
