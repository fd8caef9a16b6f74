// The show's web page (build-web/) in Debian's Chromium, headless, served by
// `python3 -m http.server` on 127.0.0.1 as `make serve-web` does. What the page
// shows is checked against the capture tool's frames for the same show times.
//
// Environment: PIXELFOLK_WEB_DIR (default build-web), PIXELFOLK_NATIVE_BUILD
// (default build: its pixelfolk-capture and show/), CHROMIUM (default
// /usr/bin/chromium), PIXELFOLK_WEB_SHOTS (a folder to keep the screenshots in).
import { after, before, test } from "node:test";
import assert from "node:assert/strict";
import { execFileSync, spawn } from "node:child_process";
import fs from "node:fs";
import net from "node:net";
import os from "node:os";
import path from "node:path";
import { fileURLToPath } from "node:url";

import puppeteer from "puppeteer-core";
import { PNG } from "pngjs";

const here = path.dirname(fileURLToPath(import.meta.url));
const root = path.resolve(here, "../..");
const site = path.resolve(process.env.PIXELFOLK_WEB_DIR || path.join(root, "build-web"));
const nativeBuild = path.resolve(process.env.PIXELFOLK_NATIVE_BUILD || path.join(root, "build"));
const chromium = process.env.CHROMIUM || "/usr/bin/chromium";

// Show times of the two screenshots: the opening, and the title scene (40.3 s
// to 55.7 s of music) once its lines are typed.
const OPENING_TIME = 5;
const TITLE_TIME = 50;

const scratch = fs.mkdtempSync(path.join(os.tmpdir(), "pixelfolk-web-test-"));
const shotsDir = process.env.PIXELFOLK_WEB_SHOTS ? path.resolve(process.env.PIXELFOLK_WEB_SHOTS) : scratch;
let server;
let baseUrl;
let browser;

function sleep(ms) {
  return new Promise((resolve) => setTimeout(resolve, ms));
}

function freePort() {
  return new Promise((resolve, reject) => {
    const probe = net.createServer();
    probe.once("error", reject);
    probe.listen(0, "127.0.0.1", () => {
      const { port } = probe.address();
      probe.close(() => resolve(port));
    });
  });
}

async function waitForServer(url, deadlineMs) {
  const end = Date.now() + deadlineMs;
  for (;;) {
    try {
      const response = await fetch(url);
      if (response.ok) return;
    } catch {
      // not listening yet
    }
    if (Date.now() > end) throw new Error(`no answer from ${url}`);
    await sleep(100);
  }
}

// Polls fn in the page until it returns something truthy.
async function waitInPage(page, fn, arg, timeoutMs, what) {
  try {
    return await page.waitForFunction(fn, { timeout: timeoutMs, polling: 100 }, arg);
  } catch (e) {
    throw new Error(`timed out waiting for ${what}: ${e.message}`);
  }
}

function readPng(file) {
  return PNG.sync.read(fs.readFileSync(file));
}

// The canvas area of a page screenshot, resampled to the show's 640x480.
async function shootCanvas(page, name) {
  const box = await page.evaluate(() => {
    const r = document.getElementById("canvas").getBoundingClientRect();
    return { x: r.x, y: r.y, width: r.width, height: r.height };
  });
  const file = path.join(shotsDir, `${name}.png`);
  await page.screenshot({ path: file });
  const shot = readPng(file);
  const out = new PNG({ width: 640, height: 480 });
  for (let y = 0; y < 480; ++y) {
    const sy = Math.min(shot.height - 1, Math.floor(box.y + ((y + 0.5) * box.height) / 480));
    for (let x = 0; x < 640; ++x) {
      const sx = Math.min(shot.width - 1, Math.floor(box.x + ((x + 0.5) * box.width) / 640));
      const s = (sy * shot.width + sx) * 4;
      const d = (y * 640 + x) * 4;
      for (let c = 0; c < 4; ++c) out.data[d + c] = shot.data[s + c];
    }
  }
  fs.writeFileSync(path.join(shotsDir, `${name}-640x480.png`), PNG.sync.write(out));
  return out;
}

// Mean colour of each 16x16 block: timing differences of a few frames move
// sprites by a few pixels, which this forgives, while a different scene
// changes most blocks.
function blockMeans(image, block = 16) {
  const cols = image.width / block;
  const rows = image.height / block;
  const means = new Float64Array(cols * rows * 3);
  for (let y = 0; y < image.height; ++y) {
    for (let x = 0; x < image.width; ++x) {
      const s = (y * image.width + x) * 4;
      const b = (Math.floor(y / block) * cols + Math.floor(x / block)) * 3;
      for (let c = 0; c < 3; ++c) means[b + c] += image.data[s + c] / (block * block);
    }
  }
  return means;
}

function distance(a, b) {
  const ma = blockMeans(a);
  const mb = blockMeans(b);
  let sum = 0;
  for (let i = 0; i < ma.length; ++i) sum += Math.abs(ma[i] - mb[i]);
  return sum / ma.length;
}

// Rows holding the title's red text: pure red pixels, many to a row.
function redRows(image) {
  const rows = [];
  for (let y = 0; y < image.height; ++y) {
    let count = 0;
    for (let x = 0; x < image.width; ++x) {
      const s = (y * image.width + x) * 4;
      const [r, g, b] = [image.data[s], image.data[s + 1], image.data[s + 2]];
      if (r > 180 && g < 70 && b < 70) ++count;
    }
    if (count >= 40) rows.push({ y, count });
  }
  return rows;
}

function captureFrame(seconds) {
  const file = path.join(scratch, `capture-${seconds}.png`);
  execFileSync(path.join(nativeBuild, "pixelfolk-capture"),
    ["-C", path.join(nativeBuild, "show"), "--frame-at", String(seconds), "--png", file], { stdio: "inherit" });
  return readPng(file);
}

// A fresh page that records console errors, page errors and every
// AudioContext the page makes. Unless asked for, the page finds no service
// worker, as in a browser that refuses one: the tests that share the
// server's address then never load from a previous test's cache.
async function openPage({ serviceWorker = false } = {}) {
  const page = await browser.newPage();
  const errors = [];
  page.on("console", (message) => {
    if (message.type() === "error") errors.push(message.text());
  });
  page.on("pageerror", (error) => errors.push(String(error)));
  if (!serviceWorker) {
    await page.evaluateOnNewDocument(() => {
      delete Navigator.prototype.serviceWorker;
    });
  }
  await page.evaluateOnNewDocument(() => {
    const Original = window.AudioContext;
    window.__contexts = [];
    window.__processors = 0;
    window.AudioContext = class extends Original {
      constructor(...args) {
        super(...args);
        window.__contexts.push(this);
        // When the sound last started: the page makes its context suspended
        // in advance and resumes it in the click.
        this.runningSince = null;
        this.addEventListener("statechange", () => {
          if (this.state === "running") this.runningSince = performance.now();
        });
      }

      // What SDL plays the music through; its first buffer is the music's
      // start, due at musicStart on this context's clock. soundBuffers counts
      // the buffers that carried any sound: SDL fills each in its own
      // handler, after this one, so the buffer is looked at once the event
      // is over.
      createScriptProcessor(...args) {
        window.__processors += 1;
        const processor = super.createScriptProcessor(...args);
        this.soundBuffers = 0;
        processor.addEventListener("audioprocess", (e) => {
          if (this.musicStart === undefined) this.musicStart = e.playbackTime;
          const output = e.outputBuffer;
          setTimeout(() => {
            if (output.getChannelData(0).some((v) => v !== 0)) this.soundBuffers += 1;
          }, 0);
        });
        return processor;
      }
    };
  });
  return { page, errors };
}

function waitReady(page, timeoutMs = 120000) {
  return waitInPage(page, () => window.pixelfolkPage && window.pixelfolkPage.state === "ready", null, timeoutMs,
    "the page to be ready");
}

async function openReadyPage() {
  const opened = await openPage();
  await opened.page.goto(`${baseUrl}/index.html`, { waitUntil: "load" });
  await waitReady(opened.page);
  return opened;
}

// The click's return to the page, then the first frame, which takes the card away.
async function waitForStart(page) {
  await waitInPage(page, () => window.pixelfolkPage.firstFrameAt !== null, null, 30000, "the show to start");
  assert.equal(await page.evaluate(() => window.pixelfolkPage.state), "playing");
}

function contextStates(page) {
  return page.evaluate(() => window.__contexts.map((c) => c.state));
}

// The end card, which says "watch again" once the next showing is prepared.
async function expectEndCard(page) {
  await waitInPage(page, () => !document.getElementById("end").hidden, null, 5000, "the end card");
  await waitInPage(page, () => /watch again/.test(document.getElementById("end").textContent), null, 30000,
    "the next showing to be prepared");
  assert.ok(await visible(page, "#end"), "the end card shows");
  assert.equal(await page.evaluate(() => document.fullscreenElement), null, "not in full screen");
  assert.equal(await visible(page, "#error"), false, "no error panel");
}

// The music's own time: the scenes follow its notes, and the capture tool's
// frame for show time t has the music at t too.
function waitForMusicTime(page, seconds) {
  return page.waitForFunction((t) => {
    const context = window.__contexts.at(-1);
    return context.musicStart !== undefined && context.currentTime - context.musicStart >= t;
  },
    { timeout: (seconds + 30) * 1000, polling: 20 }, seconds);
}

// What the show last reported to the page's player.
function playerState(page) {
  return page.evaluate(() => ({
    ...window.pixelfolkPage.player,
    text: document.getElementById("time").textContent,
    hash: location.hash,
    controlsShown: document.getElementById("controls").classList.contains("shown"),
    soundBuffers: window.__contexts.at(-1).soundBuffers,
  }));
}

// The player's time as the page writes it.
function clockText(seconds) {
  const whole = Math.floor(seconds + 1e-6);
  return `${Math.floor(whole / 60)}:${String(whole % 60).padStart(2, "0")}`;
}

// A screenshot of the canvas at a show time the show itself reports (the
// middle of the times before and after the shot), against the capture
// tool's frame for that time and for another scene's time. A paused show
// holds its frame, which may then be held to a closer likeness.
async function expectCapturedFrame(page, name, otherSceneTime, limit = 30) {
  const before = (await playerState(page)).time;
  const shot = await shootCanvas(page, name);
  const after = (await playerState(page)).time;
  const at = Number(((before + after) / 2).toFixed(4));
  const d = { same: distance(shot, captureFrame(at)), other: distance(shot, captureFrame(otherSceneTime)) };
  console.log(`${name} at ${at} s (shot between ${before} and ${after} s): block distances`, d);
  assert.ok(d.same < limit && d.same < d.other / 2,
    `the picture is the captured one at ${at} s: ${JSON.stringify(d)}`);
  return at;
}

function visible(page, selector) {
  return page.$eval(selector, (element) => !element.hidden && element.getBoundingClientRect().height > 0);
}

// Samples the canvas at every animation frame the page draws, into
// window.__frames: the page time, whether a card covers the canvas, the
// music's time, the show time the program last reported (that of the
// picture sampled), the share of lit pixels in the whole picture, and a hash of
// the 40x40 pixels in its middle, where the opening draws its middle picture.
// Stops after `seconds`.
function recordFrames(page, seconds) {
  return page.evaluate((limitMs) => {
    const whole = document.createElement("canvas");
    whole.width = 64;
    whole.height = 48;
    const middle = document.createElement("canvas");
    middle.width = 40;
    middle.height = 40;
    const wholeContext = whole.getContext("2d", { willReadFrequently: true });
    const middleContext = middle.getContext("2d", { willReadFrequently: true });
    const from = performance.now();
    window.__frames = [];
    const sample = () => {
      const canvas = document.getElementById("canvas");
      wholeContext.clearRect(0, 0, 64, 48);
      wholeContext.drawImage(canvas, 0, 0, 64, 48);
      const pixels = wholeContext.getImageData(0, 0, 64, 48).data;
      let lit = 0;
      for (let i = 0; i < pixels.length; i += 4) lit += pixels[i] + pixels[i + 1] + pixels[i + 2] > 48 ? 1 : 0;
      middleContext.clearRect(0, 0, 40, 40);
      middleContext.drawImage(canvas, 300, 220, 40, 40, 0, 0, 40, 40);
      let hash = 2166136261;
      for (const value of middleContext.getImageData(0, 0, 40, 40).data) hash = Math.imul(hash ^ value, 16777619);
      const context = window.__contexts.at(-1);
      window.__frames.push({
        at: performance.now(),
        card: !document.getElementById("start").hidden || !document.getElementById("end").hidden,
        music: context && context.musicStart !== undefined ? context.currentTime - context.musicStart : null,
        show: window.pixelfolkPage.player.time,
        lit: lit / (64 * 48),
        middle: hash >>> 0,
      });
      if (performance.now() - from < limitMs) requestAnimationFrame(sample);
    };
    requestAnimationFrame(sample);
  }, seconds * 1000);
}

// Each time the opening's middle picture turns into a still one, from its
// first change on (half a second into the music), in order: the frame from
// which a hash holds for three frames in a row and differs from the still
// before (the pictures that let the scrolling background through never hold).
function stillPictures(frames) {
  const stills = [];
  for (let i = 0; i + 2 < frames.length; ++i) {
    const [a, b, c] = [frames[i], frames[i + 1], frames[i + 2]];
    if (a.card || a.music === null || a.music < 0.5 || a.middle !== b.middle || a.middle !== c.middle) continue;
    if (frames[i - 1].middle === a.middle || (stills.length > 0 && stills.at(-1).middle === a.middle)) continue;
    stills.push(a);
  }
  return stills;
}

// Run in the page before its scripts: records what SDL writes into each
// buffer of its script processor, as the loudness of every 512 frames of its
// first channel, into window.__heard as [page time heard, RMS]. A buffer is
// heard its event's playbackTime ahead of the context's clock, plus the
// context's base and output latencies; it is read once the event is over, as
// SDL fills it in its own handler.
function recordHeard() {
  const create = window.AudioContext.prototype.createScriptProcessor;
  window.__heard = [];
  window.AudioContext.prototype.createScriptProcessor = function (...args) {
    const processor = create.apply(this, args);
    processor.addEventListener("audioprocess", (e) => {
      const lead = e.playbackTime - this.currentTime + (this.baseLatency || 0) + (this.outputLatency || 0);
      const heardAt = performance.now() + 1000 * lead;
      const output = e.outputBuffer;
      const rate = this.sampleRate;
      setTimeout(() => {
        const samples = output.getChannelData(0);
        for (let i = 0; i + 512 <= samples.length; i += 512) {
          let sum = 0;
          for (let j = i; j < i + 512; ++j) sum += samples[j] * samples[j];
          window.__heard.push([heardAt + (1000 * i) / rate, Math.sqrt(sum / 512)]);
        }
      }, 0);
    });
    return processor;
  };
}

// The capture tool's soundtrack of show times [0, seconds), as the loudness
// of 512 frames of its left channel starting at every 8th frame.
function soundtrackLoudness(seconds) {
  const dir = path.join(scratch, `soundtrack-${seconds}`);
  execFileSync(path.join(nativeBuild, "pixelfolk-capture"),
    ["-C", path.join(nativeBuild, "show"), "-q", "--frames", dir, "--fps", "1", "--to", String(seconds - 1)],
    { stdio: "inherit" });
  const wav = fs.readFileSync(path.join(dir, "soundtrack.wav"));
  const rate = wav.readUInt32LE(24);
  const frames = (wav.length - 44) / 4;
  const hop = 8;
  const loudness = new Float64Array(Math.floor((frames - 512) / hop));
  for (let k = 0; k < loudness.length; ++k) {
    let sum = 0;
    for (let j = k * hop; j < k * hop + 512; ++j) sum += (wav.readInt16LE(44 + 4 * j) / 32768) ** 2;
    loudness[k] = Math.sqrt(sum / 512);
  }
  return { loudness, rate, hop };
}

// Where the music heard at page times [from, to) (ms) is: the lag, music
// time less page time in seconds, at which its loudness best correlates with
// the soundtrack's, searched 1 ms apart over `near` ± 8 s, and that correlation.
function musicLag(heard, track, from, to, near) {
  const blocks = heard.filter(([at]) => at >= from && at < to);
  const mean = blocks.reduce((sum, [, v]) => sum + v, 0) / blocks.length;
  const x = blocks.map(([, v]) => v - mean);
  const xx = x.reduce((sum, v) => sum + v * v, 0);
  let best = { lag: NaN, correlation: -Infinity };
  for (let ms = Math.round((near - 8) * 1000); ms <= Math.round((near + 8) * 1000); ++ms) {
    let [sy, syy, sxy] = [0, 0, 0];
    let inside = true;
    for (let i = 0; i < blocks.length && inside; ++i) {
      const k = Math.round(((blocks[i][0] / 1000 + ms / 1000) * track.rate) / track.hop);
      inside = k >= 0 && k < track.loudness.length;
      const y = inside ? track.loudness[k] : 0;
      sy += y;
      syy += y * y;
      sxy += x[i] * y;
    }
    if (!inside) continue;
    const yVariance = syy - (sy * sy) / blocks.length;
    const correlation = sxy / Math.sqrt(xx * yVariance);
    if (correlation > best.correlation) best = { lag: ms / 1000, correlation };
  }
  return { ...best, blocks: blocks.length };
}

// Show time less page time (s), the median over the frames drawn at page times [from, to).
function clockOffset(frames, from, to) {
  const offsets = frames.filter((f) => !f.card && f.at >= from && f.at < to).map((f) => f.show - f.at / 1000);
  return [...offsets].sort((a, b) => a - b)[Math.floor(offsets.length / 2)];
}

// The still pictures of two showings as pairs, the same pictures in the same
// order. A frame that stalls under load can make a picture that lets the
// background through look still in one showing: only the pictures still in
// both count, and a difference in their order ends the pairs.
function sameStills(one, other) {
  const inBoth = (run, rest) => run.filter((s) => rest.some((o) => o.middle === s.middle));
  const [a, b] = [inBoth(one, other), inBoth(other, one)];
  const pairs = [];
  for (let i = 0; i < Math.min(a.length, b.length) && a[i].middle === b[i].middle; ++i) pairs.push([a[i], b[i]]);
  return pairs;
}

// `make serve-web`'s server for `folder`, on a free port of 127.0.0.1.
async function serve(folder) {
  const port = await freePort();
  const child = spawn("/usr/bin/python3",
    ["-m", "http.server", "--bind", "127.0.0.1", "--directory", folder, String(port)],
    { stdio: ["ignore", "ignore", "ignore"] });
  const url = `http://127.0.0.1:${port}`;
  await waitForServer(`${url}/index.html`, 15000);
  return { child, url };
}

const PAGE_FILES = ["index.html", "player.js", "pixelfolk.js", "pixelfolk.wasm", "pixelfolk.data", "sw.js",
  "manifest.webmanifest", "icon-192.png", "icon-512.png"];

before(async () => {
  for (const file of PAGE_FILES) {
    assert.ok(fs.existsSync(path.join(site, file)), `${site}/${file} is missing: run make web`);
  }
  ({ child: server, url: baseUrl } = await serve(site));

  browser = await puppeteer.launch({
    executablePath: chromium,
    headless: true,
    userDataDir: fs.mkdtempSync(path.join(scratch, "profile-")),
    defaultViewport: { width: 1280, height: 960 },
    args: [
      "--no-sandbox",
      "--disable-gpu",
      "--disable-quic",
      "--no-first-run",
      "--disable-background-networking",
      "--disable-component-update",
      "--disable-sync",
      "--window-size=1280,960",
    ],
  });
});

after(async () => {
  if (browser) await browser.close();
  if (server) server.kill();
  if (!process.env.PIXELFOLK_WEB_SHOTS) fs.rmSync(scratch, { recursive: true, force: true });
});

test("the click starts the show with its music, which looks as captured and ends by itself", async () => {
  const { page, errors } = await openReadyPage();
  assert.ok(await visible(page, "#start"), "the start card shows");
  assert.match(await page.$eval("#start", (e) => e.textContent), /Pixelfolk enjoy dance!/);
  assert.match(await page.$eval("#start", (e) => e.textContent), /click to start/);

  await recordFrames(page, 3);
  await page.click("#start");
  await waitForStart(page);
  assert.equal(await visible(page, "#start"), false, "the start card is gone");
  // Everything but the clock, the font and the sound was done before the
  // click, and the frames that follow it are the card's until the show's.
  const { clickedAt, mainReturnedAt, firstFrameAt } = await page.evaluate(() => window.pixelfolkPage);
  console.log(`click to start: ${(mainReturnedAt - clickedAt).toFixed(1)} ms, ` +
    `to the first frame: ${(firstFrameAt - clickedAt).toFixed(1)} ms`);
  assert.ok(mainReturnedAt - clickedAt < 100, `the show started ${mainReturnedAt - clickedAt} ms after the click`);
  // The first pass runs code the browser compiles on first use: a few frames,
  // where decoding the pictures would take most of a second.
  assert.ok(firstFrameAt - clickedAt < 400, `the first frame came ${firstFrameAt - clickedAt} ms after the click`);
  await sleep(3000);
  const frames = (await page.evaluate(() => window.__frames)).filter((f) => f.at > clickedAt);
  assert.ok(frames.some((f) => !f.card), "the card went");
  const black = frames.filter((f) => !f.card && f.lit <= 0.25);
  assert.deepEqual(black, [], "no black frame between the card and the show");
  assert.equal(await page.evaluate(() => document.fullscreenElement && document.fullscreenElement.id), "stage",
    "the click asked for the full screen");

  await waitForMusicTime(page, OPENING_TIME);
  const opening = await shootCanvas(page, "browser-opening");
  assert.deepEqual(await contextStates(page), ["running"], "one AudioContext, running");

  await waitForMusicTime(page, TITLE_TIME);
  const title = await shootCanvas(page, "browser-title");

  const referenceOpening = captureFrame(OPENING_TIME);
  const referenceTitle = captureFrame(TITLE_TIME);
  const d = {
    openingToOpening: distance(opening, referenceOpening),
    openingToTitle: distance(opening, referenceTitle),
    titleToTitle: distance(title, referenceTitle),
    titleToOpening: distance(title, referenceOpening),
  };
  console.log("block distances", d);
  assert.ok(d.openingToOpening < d.openingToTitle / 2, `the opening looks like the opening: ${JSON.stringify(d)}`);
  assert.ok(d.titleToTitle < d.titleToOpening / 2, `the title looks like the title: ${JSON.stringify(d)}`);
  assert.ok(d.openingToOpening < 30 && d.titleToTitle < 30, `close to the captured frames: ${JSON.stringify(d)}`);

  const expectedRed = redRows(referenceTitle);
  const foundRed = redRows(title);
  assert.ok(expectedRed.length > 0, "the captured title has its red line");
  assert.ok(foundRed.length > 0, "the page's title has a red line");
  const first = (rows) => rows[0].y;
  const last = (rows) => rows[rows.length - 1].y;
  assert.ok(Math.abs(first(foundRed) - first(expectedRed)) <= 2 && Math.abs(last(foundRed) - last(expectedRed)) <= 2,
    `the red line sits where the capture has it: rows ${first(foundRed)}-${last(foundRed)}, ` +
      `expected ${first(expectedRed)}-${last(expectedRed)}`);
  const total = (rows) => rows.reduce((sum, row) => sum + row.count, 0);
  assert.ok(total(foundRed) > 0.6 * total(expectedRed), "the red line is typed out");
  const openingRed = redRows(opening).filter((row) => row.y >= first(expectedRed) && row.y <= last(expectedRed));
  assert.ok(total(openingRed) < 0.2 * total(expectedRed), "the opening has no such line");

  // The loop's own end test: the last frame comes just over 96 s after the
  // show's start, which lies between the click and the music's start.
  await waitInPage(page, () => window.pixelfolkPage.state === "ended", null, (96 - TITLE_TIME + 20) * 1000,
    "the show to end by itself");
  const [sinceClick, sinceMusic] = await page.evaluate(() => [
    (window.pixelfolkPage.endedAt - window.pixelfolkPage.clickedAt) / 1000,
    (window.pixelfolkPage.endedAt - window.__contexts[0].runningSince) / 1000,
  ]);
  assert.ok(sinceClick > 96 && sinceMusic < 96.5, `ended ${sinceClick} s after the click, ${sinceMusic} s after the music`);
  assert.equal(await page.evaluate(() => window.pixelfolkPage.exitCode), 0);
  await expectEndCard(page);
  assert.deepEqual(await contextStates(page), ["closed", "suspended"], "the sound stopped; the next showing's waits");
  assert.deepEqual(errors, [], "no errors in the console");
  console.log("audio latency over the show", await page.evaluate(() => window.pixelfolkPage.audioLatency));
  await page.close();
});

test("Escape leaves the full screen and shows the end card; watch again starts a new showing", async () => {
  const { page, errors } = await openReadyPage();
  await page.click("#start");
  await waitForStart(page);
  await sleep(2000);
  assert.ok(await page.evaluate(() => document.fullscreenElement !== null), "in full screen");
  await page.keyboard.press("Escape");
  await waitInPage(page, () => window.pixelfolkPage.state === "ended", null, 15000, "Escape to end the show");
  const length = await page.evaluate(() => (window.pixelfolkPage.endedAt - window.pixelfolkPage.mainReturnedAt) / 1000);
  assert.ok(length < 10, `it ended on Escape, after ${length} s`);
  await expectEndCard(page);
  assert.deepEqual(await contextStates(page), ["closed", "suspended"], "the sound stopped");

  await page.click("#end");
  await waitForStart(page);
  assert.equal(await visible(page, "#end"), false, "the end card is gone");
  await sleep(2000);
  assert.deepEqual(await contextStates(page), ["closed", "running"], "the new showing has its own sound");
  // Leaving the full screen by any other way than Escape ends the show too.
  await page.evaluate(() => document.exitFullscreen());
  await waitInPage(page, () => window.pixelfolkPage.state === "ended", null, 15000, "the end on leaving full screen");
  await expectEndCard(page);
  assert.deepEqual(await contextStates(page), ["closed", "closed", "suspended"]);
  assert.deepEqual(errors, [], "no errors in the console");
  await page.close();
});

test("with the full screen refused the picture fills the window at 4:3 and Escape still ends the show", async () => {
  const { page, errors } = await openPage();
  await page.evaluateOnNewDocument(() => {
    Element.prototype.requestFullscreen = () => Promise.reject(new TypeError("refused"));
  });
  await page.setViewport({ width: 1600, height: 900 });
  await page.goto(`${baseUrl}/index.html`, { waitUntil: "load" });
  await waitReady(page);
  await page.click("#start");
  await waitForStart(page);
  await sleep(2000);
  assert.equal(await page.evaluate(() => document.fullscreenElement), null);
  const box = await page.evaluate(() => {
    const r = document.getElementById("canvas").getBoundingClientRect();
    return [r.x, r.y, r.width, r.height];
  });
  assert.deepEqual(box, [200, 0, 1200, 900], "a 4:3 picture in the middle of a 16:9 window");
  assert.deepEqual(await contextStates(page), ["running"]);
  await page.keyboard.press("Escape");
  await waitInPage(page, () => window.pixelfolkPage.state === "ended", null, 15000, "Escape to end the show");
  await expectEndCard(page);
  assert.deepEqual(errors, [], "no errors in the console");
  await page.close();
});

test("without the click the start card stays and nothing plays", async () => {
  const { page, errors } = await openReadyPage();
  await sleep(3000);
  assert.ok(await visible(page, "#start"), "the start card still shows");
  assert.equal(await page.evaluate(() => window.pixelfolkPage.state), "ready");
  assert.equal(await page.evaluate(() => window.pixelfolkPage.mainReturnedAt), null, "the show has not started");
  assert.deepEqual(await contextStates(page), ["suspended"], "the sound's context waits");
  assert.equal(await page.evaluate(() => window.__processors), 0, "nothing plays into it");
  assert.deepEqual(errors, [], "no errors in the console");
  await page.close();
});

// A resource list the show cannot read: the show reads it while the start
// card shows, so its message box becomes the page's error panel before any
// click, with the same text as the console line, and no sound ever starts.
test("a message box becomes the error panel and a console line", async () => {
  const script = fs.readFileSync(path.join(site, "pixelfolk.js"), "utf8");
  const entry = script.match(/"filename":\s*"\/resinfo\.rli",\s*"start":\s*(\d+),\s*"end":\s*(\d+)/);
  assert.ok(entry, "pixelfolk.js names where resinfo.rli lies in pixelfolk.data");
  const start = Number(entry[1]);
  const data = fs.readFileSync(path.join(site, "pixelfolk.data"));
  const lines = data.subarray(start, Number(entry[2])).toString("latin1").split("\n");
  // The first resource line ("name type"): its type becomes 7.
  const index = lines.findIndex((line) => /^[a-z]\w* \d/.test(line));
  assert.ok(index >= 0, "resinfo.rli has a resource line");
  const lineNumber = index + 1;
  const offset = lines.slice(0, index).reduce((sum, line) => sum + line.length + 1, 0);
  const broken = Buffer.from(data);
  broken[start + offset + lines[index].indexOf(" ") + 1] = "7".charCodeAt(0);
  const expected = `Syntax error in resourcetype field at line ${lineNumber} in file resinfo.rli. 7 found, expected 1 or 2`;

  const { page, errors } = await openPage();
  await page.setRequestInterception(true);
  page.on("request", (request) => {
    if (request.url().endsWith("/pixelfolk.data")) {
      request.respond({ status: 200, contentType: "application/octet-stream", body: broken });
    } else {
      request.continue();
    }
  });
  await page.goto(`${baseUrl}/index.html`, { waitUntil: "load" });
  await waitInPage(page, () => !document.getElementById("error").hidden, null, 30000, "the error panel");

  const panel = await page.$eval("#error", (e) => e.innerText);
  assert.match(panel, /Error/);
  assert.ok(panel.includes(expected), `the panel says what the message box would: ${panel}`);
  assert.ok(errors.includes(`Error: ${expected}`), `the same text in the console: ${JSON.stringify(errors)}`);
  await waitInPage(page, () => window.pixelfolkPage.state === "failed", null, 5000, "the page to give up");
  assert.equal(await page.evaluate(() => window.pixelfolkPage.exitCode), 1);
  assert.match(await page.$eval("#start", (e) => e.textContent), /cannot start/);
  assert.doesNotMatch(await page.$eval("#start", (e) => e.textContent), /click to start/);
  await page.click("#start");
  await sleep(500);
  assert.equal(await visible(page, "#end"), false, "a click starts nothing");
  assert.ok(await visible(page, "#error"), "the panel stays");
  assert.equal(await page.evaluate(() => window.__processors), 0, "no sound started");
  assert.deepEqual(await contextStates(page), ["closed"], "and its context is closed");
  await page.close();
});

// While the files download and the pictures decode, the start card's bar
// moves in the frames the browser draws; it is full before the card says
// "click to start". The network is slowed to a few MB/s and the browser's
// cache is off, so that the download takes a second even from 127.0.0.1.
test("the progress bar moves while the page loads and is full before it says click to start", async () => {
  const { page, errors } = await openPage();
  await page.evaluateOnNewDocument(() => {
    window.__card = [];
    const sample = () => {
      const bar = document.getElementById("progress");
      if (bar) {
        window.__card.push({
          value: bar.hasAttribute("value") ? bar.value : null,
          status: document.getElementById("status").textContent,
          action: document.getElementById("start-action").textContent,
        });
        if (/click to start/.test(window.__card.at(-1).action)) return;
      }
      requestAnimationFrame(sample);
    };
    requestAnimationFrame(sample);
  });
  await page.setCacheEnabled(false);
  await page.emulateNetworkConditions({ download: 5e6, upload: 1e6, latency: 10 });
  await page.goto(`${baseUrl}/index.html`, { waitUntil: "load" });
  await waitReady(page);
  await waitInPage(page, () => /click to start/.test(window.__card.at(-1).action), null, 5000, "the last sample");
  const card = await page.evaluate(() => window.__card);

  const downloading = card.filter((c) => / MB$/.test(c.status) && c.value !== null);
  const decoding = card.map((c) => c.status.match(/^decoding pictures (\d+)\/(\d+)$/)).filter(Boolean);
  const pictures = fs.readdirSync(path.join(nativeBuild, "show", "data"), { recursive: true })
    .filter((name) => name.endsWith(".jpg")).length;
  console.log(`progress: ${card.length} frames drawn, ${new Set(downloading.map((c) => c.value)).size} download ` +
    `positions, ${new Set(decoding.map((m) => m[1])).size} decoding positions of ${pictures} pictures`);
  assert.ok(new Set(downloading.map((c) => c.value)).size >= 5, "the bar moves during the download");
  assert.ok(decoding.length > 0 && decoding.every((m) => Number(m[2]) === pictures),
    `it counts the ${pictures} pictures: ${decoding.map((m) => m[0]).slice(0, 3)}`);
  assert.ok(new Set(decoding.map((m) => m[1])).size >= 3, "the page is drawn while the pictures decode");
  const rendering = card.filter((c) => /^rendering the music \d+%$/.test(c.status));
  assert.ok(new Set(rendering.map((c) => c.value)).size >= 2, "and while the music is rendered for seeking");
  const values = card.map((c) => c.value).filter((v) => v !== null);
  assert.ok(values.every((v, i) => i === 0 || v >= values[i - 1]), `the bar never goes back: ${values}`);
  const firstReady = card.findIndex((c) => /click to start/.test(c.action));
  assert.equal(firstReady, card.length - 1);
  assert.equal(card[firstReady].value, 1, "the bar is full when the card says click to start");
  assert.ok(card.slice(0, firstReady).every((c) => /loading/.test(c.action)), "until then it says loading");
  assert.deepEqual(errors, [], "no errors in the console");
  await page.close();
});

test("on a phone a tap starts the show and the picture fills the width at 4:3, in either orientation", async () => {
  const { page, errors } = await openPage();
  const phone = { width: 390, height: 844, deviceScaleFactor: 3, isMobile: true, hasTouch: true, isLandscape: false };
  await page.emulate({
    viewport: phone,
    userAgent: "Mozilla/5.0 (Linux; Android 14; Pixel 8) AppleWebKit/537.36 (KHTML, like Gecko) " +
      "Chrome/120.0.0.0 Mobile Safari/537.36",
  });
  await page.evaluateOnNewDocument(() => {
    window.__clicks = [];
    document.addEventListener("click", (e) => window.__clicks.push(e.pointerType), true);
  });
  await page.goto(`${baseUrl}/index.html`, { waitUntil: "load" });
  await waitReady(page);
  await page.tap("#start");
  await waitForStart(page);
  assert.deepEqual(await page.evaluate(() => window.__clicks), ["touch"], "the show started on a tap");
  await sleep(1000);
  assert.deepEqual(await contextStates(page), ["running"], "with its sound");
  const canvasBox = () => page.evaluate(() => {
    const r = document.getElementById("canvas").getBoundingClientRect();
    return [r.x, r.y, r.width, r.height].map((v) => Math.round(v * 4) / 4);
  });
  assert.deepEqual(await canvasBox(), [0, (844 - 292.5) / 2, 390, 292.5], "the width at 4:3, in the middle");

  await page.setViewport({ ...phone, width: 844, height: 390, isLandscape: true });
  await sleep(500);
  assert.deepEqual(await canvasBox(), [(844 - 520) / 2, 0, 520, 390], "turned: the height at 4:3, in the middle");
  assert.equal(await page.evaluate(() => window.pixelfolkPage.state), "playing");
  assert.deepEqual(errors, [], "no errors in the console");
  await page.close();
});

// The page keeps its files with a service worker: a new build (a new sw.js
// version and a changed page) replaces them, and with the server gone a
// reload still reaches the start card and plays. On a server of its own.
test("after one visit the page plays offline, and a new build replaces the kept files", async (t) => {
  const copy = fs.mkdtempSync(path.join(scratch, "site-"));
  for (const file of PAGE_FILES) fs.copyFileSync(path.join(site, file), path.join(copy, file));
  const own = await serve(copy);
  t.after(() => own.child.kill());
  const { page, errors } = await openPage({ serviceWorker: true });
  const keptFiles = () => page.evaluate(async () => {
    const kept = {};
    for (const name of await caches.keys()) kept[name] = (await (await caches.open(name)).keys()).length;
    return kept;
  });
  async function waitForKept(version) {
    // Every file but the worker itself, and the folder's address ("./").
    const expected = { [`pixelfolk-${version}`]: PAGE_FILES.length };
    for (let end = Date.now() + 30000; ; await sleep(200)) {
      const kept = await keptFiles();
      if (JSON.stringify(kept) === JSON.stringify(expected)) return;
      if (Date.now() > end) assert.fail(`kept ${JSON.stringify(kept)}, expected ${JSON.stringify(expected)}`);
    }
  }

  await page.goto(`${own.url}/`, { waitUntil: "load" });
  await waitReady(page);
  const version = fs.readFileSync(path.join(copy, "sw.js"), "utf8").match(/const VERSION = "(\w+)";/)[1];
  assert.match(version, /^[0-9a-f]{16}$/, "the build stamped its version");
  await waitForKept(version);
  // What a browser asks of a page before it offers to install it.
  const cdp = await page.createCDPSession();
  const manifest = await cdp.send("Page.getAppManifest");
  assert.deepEqual(manifest.errors, [], "the manifest reads without errors");
  const { installabilityErrors } = await cdp.send("Page.getInstallabilityErrors");
  assert.deepEqual(installabilityErrors, [], "installable");

  const worker = fs.readFileSync(path.join(copy, "sw.js"), "utf8");
  fs.writeFileSync(path.join(copy, "sw.js"), worker.replace(version, "fedcba9876543210"));
  fs.appendFileSync(path.join(copy, "index.html"), "<!-- the next build -->\n");
  await page.reload({ waitUntil: "load" });
  await waitReady(page);
  await waitForKept("fedcba9876543210");
  const keptPage = await page.evaluate(async () => (await (await caches.match("index.html")).text()));
  assert.match(keptPage, /the next build/, "the new build's page is kept");

  own.child.kill();
  await new Promise((resolve) => own.child.once("exit", resolve));
  await assert.rejects(fetch(`${own.url}/index.html`), "the server is gone");
  await page.reload({ waitUntil: "load" });
  await waitReady(page, 30000);
  assert.match(await page.$eval("#start", (e) => e.textContent), /click to start/);
  await page.click("#start");
  await waitForStart(page);
  await waitForMusicTime(page, 2);
  await recordFrames(page, 0.5);
  await sleep(700);
  const frames = await page.evaluate(() => window.__frames);
  assert.ok(frames.length > 5 && frames.every((f) => f.lit > 0.25), "it plays, offline");
  await page.keyboard.press("Escape");
  await expectEndCard(page);
  assert.deepEqual(errors, [], "no errors in the console");
  await page.close();
});

// The show's clock is the master: a longer output latency makes the program
// write the music that much further ahead, so that it is heard on the clock,
// and the scenes stay where they were. The test stubs the audio context's
// reported latencies and, in a second showing, raises the output latency by
// 250 ms at 6.2 s of music: the opening's still middle pictures after that
// show when they did in the first showing, against those before it, within
// one frame (scenes that followed the sound would move 250 ms). The page
// writes the figures it measured to the console once.
test("a longer reported audio latency leaves the scene changes on the show's clock", async () => {
  const INJECTED = 0.25;
  const RAISE_AT = 6.2;
  async function showStillPictures(raise) {
    const { page, errors } = await openPage();
    await page.evaluateOnNewDocument(() => {
      window.__outputLatency = 0.02;
      Object.defineProperty(AudioContext.prototype, "baseLatency", { get: () => 0.01, configurable: true });
      Object.defineProperty(AudioContext.prototype, "outputLatency", {
        get: () => window.__outputLatency,
        configurable: true,
      });
    });
    const reports = [];
    page.on("console", (message) => {
      if (/audio latency/.test(message.text())) reports.push(message.text());
    });
    await page.goto(`${baseUrl}/index.html`, { waitUntil: "load" });
    await waitReady(page);
    await recordFrames(page, 16);
    await page.click("#start");
    await waitForStart(page);
    if (raise) {
      await waitForMusicTime(page, RAISE_AT);
      await page.evaluate((more) => {
        window.__outputLatency += more;
      }, INJECTED);
    }
    await waitForMusicTime(page, 12);
    const stills = stillPictures(await page.evaluate(() => window.__frames));
    const latency = await page.evaluate(() => window.pixelfolkPage.audioLatency);
    await page.keyboard.press("Escape");
    await expectEndCard(page);
    assert.deepEqual(errors, [], "no errors in the console");
    await page.close();
    return { stills, reports, latency };
  }
  const steady = await showStillPictures(false);
  const raised = await showStillPictures(true);

  // Compared on the page's clock, on which the scenes wait.
  const before = [];
  const after = [];
  for (const [s, r] of sameStills(steady.stills, raised.stills)) {
    (s.music < RAISE_AT ? before : after).push((r.at - s.at) / 1000);
  }
  const median = (values) => [...values].sort((a, b) => a - b)[Math.floor(values.length / 2)];
  const moved = median(after) - median(before);
  console.log(`still pictures: ${before.length} before the raise, ${after.length} after; moved ` +
    `${(moved * 1000).toFixed(1)} ms; audio latency`, steady.latency, raised.latency);
  assert.ok(before.length >= 4 && after.length >= 4, "the same still pictures before and after the raise");
  assert.ok(Math.abs(moved) < 1 / 60, `the pictures moved ${moved * 1000} ms, expected 0 (the raise: ${INJECTED * 1000})`);

  for (const run of [steady, raised]) {
    assert.equal(run.reports.length, 1, `one report on the console: ${run.reports}`);
    assert.match(run.reports[0], /audio context 10\.0 ms, output 20\.0 ms/);
  }
  assert.equal(raised.latency.output, 0.02 + INJECTED, "the page measured the raised latency");
  assert.ok(Math.abs(raised.latency.max - steady.latency.max - INJECTED) < 0.005, "and its range shows the raise");
});

// A browser or the system may suspend the page's audio context while the
// show plays. The show's clock goes on, so the opening's still middle
// pictures that fall in a 4-s suspension show at the same show times as in a
// showing left alone (within a frame), the page resumes the context on the
// next key press, and the music heard then is where the clock is: its place
// against the page's clock moved with the show time, not by the 4 s the
// sound stood still.
test("an audio context suspended for 4 s freezes no scene, and the music comes back at the clock's place", async () => {
  const SUSPEND_AT = 4.5;
  const SUSPENDED_FOR = 4;
  const UNTIL = 14;
  async function showing(suspend) {
    const { page, errors } = await openPage();
    await page.evaluateOnNewDocument(recordHeard);
    await page.goto(`${baseUrl}/index.html`, { waitUntil: "load" });
    await waitReady(page);
    await recordFrames(page, UNTIL + 4);
    await page.click("#start");
    await waitForStart(page);
    const showTimeAt = (t) =>
      waitInPage(page, (at) => window.pixelfolkPage.player.time >= at, t, 30000, `${t} s of show time`);
    let suspension = null;
    if (suspend) {
      await showTimeAt(SUSPEND_AT);
      suspension = await page.evaluate(async () => {
        await window.__contexts.at(-1).suspend();
        return { at: performance.now(), show: window.pixelfolkPage.player.time };
      });
      await sleep(SUSPENDED_FOR * 1000);
      Object.assign(suspension, await page.evaluate(() => ({
        state: window.__contexts.at(-1).state,
        showBeforeResume: window.pixelfolkPage.player.time,
        resumedAt: performance.now(),
      })));
      // A key the show ignores: a user's gesture, on which the page resumes the sound.
      await page.keyboard.press("Shift");
      await waitInPage(page, () => window.__contexts.at(-1).state === "running", null, 3000,
        "the page to resume the sound on a key press");
    }
    await showTimeAt(UNTIL);
    const frames = await page.evaluate(() => window.__frames);
    const heard = await page.evaluate(() => window.__heard);
    const latency = await page.evaluate(() => window.pixelfolkPage.audioLatency);
    await page.keyboard.press("Escape");
    await expectEndCard(page);
    assert.deepEqual(errors, [], "no errors in the console");
    await page.close();
    return { stills: stillPictures(frames), frames, heard, suspension, latency };
  }
  const steady = await showing(false);
  const suspended = await showing(true);
  const { suspension } = suspended;

  assert.equal(suspension.state, "suspended", "the context stood still");
  const ran = suspension.showBeforeResume - suspension.show;
  assert.ok(ran > 0.9 * SUSPENDED_FOR, `the show time ran on while the sound stood: ${ran} s in ${SUSPENDED_FOR} s`);

  // Each still picture's show time in both showings, for those inside the
  // suspension and after it.
  const during = [];
  const afterwards = [];
  for (const [r, s] of sameStills(steady.stills, suspended.stills)) {
    if (s.show < suspension.show) continue;
    (s.show < suspension.showBeforeResume ? during : afterwards).push(s.show - r.show);
  }
  const median = (values) => [...values].sort((a, b) => a - b)[Math.floor(values.length / 2)];
  const ms = (seconds) => (seconds * 1000).toFixed(1);
  console.log(`still pictures against the steady showing: during the suspension ${during.map(ms)} ms, ` +
    `after it ${afterwards.map(ms)} ms`);
  assert.ok(during.length >= 3 && afterwards.length >= 3, "still pictures during the suspension and after it");
  for (const [what, moved] of [["during", during], ["after", afterwards]]) {
    assert.ok(Math.abs(median(moved)) < 1 / 60, `${what} the suspension the pictures moved ${ms(median(moved))} ms`);
    assert.ok(moved.every((d) => Math.abs(d) < 2.5 / 60),
      `${what} the suspension each within two frames: ${moved.map(ms)}`);
  }

  // The music against the page's clock, and the show time against it, over
  // 2 s before the suspension and 2 s from a second after the resume.
  const track = soundtrackLoudness(UNTIL + 2);
  const beforeFrom = suspension.at - 2500;
  const afterFrom = suspension.resumedAt + 1000;
  const windows = [[beforeFrom, beforeFrom + 2000], [afterFrom, afterFrom + 2000]].map(([from, to]) => {
    const clock = clockOffset(suspended.frames, from, to);
    return { clock, ...musicLag(suspended.heard, track, from, to, clock) };
  });
  const [before, after] = windows;
  const drift = (after.lag - after.clock) - (before.lag - before.clock);
  console.log(`music less show time: before the suspension ${ms(before.lag - before.clock)} ms, after it ` +
    `${ms(after.lag - after.clock)} ms; correlations ${before.correlation.toFixed(3)}, ` +
    `${after.correlation.toFixed(3)}; audio latency`, suspended.latency);
  assert.ok(before.correlation > 0.6 && after.correlation > 0.6, `the music is found: ${JSON.stringify(windows)}`);
  assert.ok(Math.abs(after.clock - before.clock) < 1 / 60, "the show time kept the page's pace");
  // A player moves to the clock's place as the one callback that finds it
  // off estimates when its buffer is heard, and then lets drifts of up to two
  // of its buffers (93 ms) pass: the start and the resume each leave the
  // music some tens of ms from where this measure puts the clock.
  assert.ok(Math.abs(drift) < 0.1, `after the resume the music is ${ms(drift)} ms off the clock's place`);
});

// A link to a moment: the page prepares the show at #t= before the click,
// and the first frames are the capture tool's near that time, in the
// greetings scene; the time shown is the show's own.
test("an address ending in #t=57.5 starts the show there, as captured", async () => {
  const { page, errors } = await openPage();
  await page.goto(`${baseUrl}/index.html#t=57.5`, { waitUntil: "load" });
  await waitReady(page);
  await page.click("#start");
  await waitForStart(page);
  const { clickedAt, mainReturnedAt } = await page.evaluate(() => window.pixelfolkPage);
  console.log(`#t=57.5: click to start ${(mainReturnedAt - clickedAt).toFixed(1)} ms`);
  assert.ok(mainReturnedAt - clickedAt < 100, `the show started ${mainReturnedAt - clickedAt} ms after the click`);
  const first = await playerState(page);
  assert.ok(first.time >= 57.5 && first.time < 58.5, `it started at ${first.time} s`);
  assert.ok(first.marks.some((m) => m.name === "greetings" && m.time <= 57.5), "57.5 s is in the greetings");

  await waitInPage(page, () => window.pixelfolkPage.player.time >= 59, null, 15000, "59 s of show time");
  const state = await playerState(page);
  assert.equal(state.controlsShown, false, "the controls stay out of the picture while it plays");
  assert.equal(state.text, `${clockText(state.time)} / 1:36`, "the time shown is the show's");
  await expectCapturedFrame(page, "browser-seek-57.5", TITLE_TIME);

  await page.keyboard.press("Escape");
  await expectEndCard(page);
  assert.equal(await page.evaluate(() => location.hash), "", "the next showing starts from the beginning");
  assert.deepEqual(errors, [], "no errors in the console");
  await page.close();
});

// Space holds the picture and the sound where they are, and goes on from
// there; the address names the paused moment.
test("Space pauses the picture and the sound, and Space again resumes them", async () => {
  const { page, errors } = await openReadyPage();
  await page.click("#start");
  await waitForStart(page);
  await waitInPage(page, () => window.pixelfolkPage.player.time >= 3, null, 15000, "3 s of show time");
  await page.keyboard.press("Space");
  await waitInPage(page, () => window.pixelfolkPage.player.paused, null, 5000, "the pause");
  await sleep(500);
  const paused = await playerState(page);
  const first = await shootCanvas(page, "browser-paused-1");
  await sleep(1000);
  const still = await playerState(page);
  const second = await shootCanvas(page, "browser-paused-2");
  console.log(`paused at ${paused.time} s; sound buffers ${paused.soundBuffers} then ${still.soundBuffers}`);
  assert.ok(paused.soundBuffers > 10, "the music played before the pause");
  assert.ok(still.soundBuffers - paused.soundBuffers <= 2, "the sound stopped with the picture");
  assert.equal(still.time, paused.time, "the show time stands");
  assert.ok(Buffer.compare(first.data, second.data) === 0, "a second later the picture is the same");
  assert.ok(paused.controlsShown, "the controls show while it is paused");
  assert.equal(paused.hash, `#t=${Number(paused.time.toFixed(1))}`, "the address names the paused moment");

  await page.keyboard.press("Space");
  await waitInPage(page, () => !window.pixelfolkPage.player.paused, null, 5000, "the show to resume");
  await sleep(1000);
  const resumed = await playerState(page);
  assert.ok(resumed.time > paused.time + 0.5, `the show time runs on: ${resumed.time} s`);
  assert.ok(resumed.soundBuffers > still.soundBuffers + 10, "and the sound with it");
  await page.keyboard.press("Escape");
  await expectEndCard(page);
  assert.deepEqual(errors, [], "no errors in the console");
  await page.close();
});

// On a phone: a touch brings the controls, a tap on the time bar seeks, the
// picture is then the capture tool's at the new time (the notes on their way
// to the speakers before the seek must not leak into its replay), and the
// address names the moment, ready to be shared.
test("a tap on the time bar seeks there and the address names the moment", async () => {
  const { page, errors } = await openPage();
  const phone = { width: 390, height: 844, deviceScaleFactor: 1, isMobile: true, hasTouch: true, isLandscape: false };
  await page.emulate({
    viewport: phone,
    userAgent: "Mozilla/5.0 (Linux; Android 14; Pixel 8) AppleWebKit/537.36 (KHTML, like Gecko) " +
      "Chrome/120.0.0.0 Mobile Safari/537.36",
  });
  await page.goto(`${baseUrl}/index.html`, { waitUntil: "load" });
  await waitReady(page);
  await page.tap("#start");
  await waitForStart(page);
  await waitInPage(page, () => window.pixelfolkPage.player.time >= 2, null, 15000, "2 s of show time");
  assert.equal((await playerState(page)).controlsShown, false, "no controls until a touch");
  await page.tap("#canvas");
  await waitInPage(page, () => getComputedStyle(document.getElementById("controls")).opacity === "1", null, 5000,
    "the controls");

  const TARGET = 45;
  const { seeks } = await playerState(page);
  const bar = await page.$eval("#bar", (e) => {
    const r = e.getBoundingClientRect();
    return { x: r.x, y: r.y, width: r.width, height: r.height };
  });
  await page.touchscreen.tap(bar.x + (bar.width * TARGET) / 96, bar.y + bar.height / 2);
  await waitInPage(page, (before) => window.pixelfolkPage.player.seeks > before, seeks, 5000, "the seek");
  const sought = await playerState(page);
  const named = Number(/^#t=([\d.]+)$/.exec(sought.hash)?.[1]);
  console.log(`tapped at ${TARGET} s of the bar: show time ${sought.time} s, address ${sought.hash}`);
  assert.ok(Math.abs(named - TARGET) < 1, `the address names the moment: ${sought.hash}`);
  assert.ok(sought.time >= named - 0.05 && sought.time < named + 1, `the show went there: ${sought.time} s`);
  // Paused by a tap on its button, the frame at the reported time, where the
  // title is being typed: a replay that read the counts of the sound from
  // before the seek would have typed a word less and coloured the tunnel
  // otherwise, a difference of about 15 where the frame itself is within 5.
  await page.tap("#play");
  await waitInPage(page, () => window.pixelfolkPage.player.paused, null, 5000, "the pause");
  await expectCapturedFrame(page, "browser-bar-seek", OPENING_TIME, 10);
  assert.equal(await page.evaluate(() => window.pixelfolkPage.state), "playing");
  assert.deepEqual(errors, [], "no errors in the console");
  await page.close();
});
