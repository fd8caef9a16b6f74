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
// AudioContext the page makes.
async function openPage() {
  const page = await browser.newPage();
  const errors = [];
  page.on("console", (message) => {
    if (message.type() === "error") errors.push(message.text());
  });
  page.on("pageerror", (error) => errors.push(String(error)));
  await page.evaluateOnNewDocument(() => {
    const Original = window.AudioContext;
    window.__contexts = [];
    window.__contextTimes = [];
    window.AudioContext = class extends Original {
      constructor(...args) {
        super(...args);
        window.__contexts.push(this);
        window.__contextTimes.push(performance.now());
      }
    };
  });
  return { page, errors };
}

function waitReady(page) {
  return waitInPage(page, () => window.pixelfolkPage && window.pixelfolkPage.state === "ready", null, 120000,
    "the page to be ready");
}

async function openReadyPage() {
  const opened = await openPage();
  await opened.page.goto(`${baseUrl}/index.html`, { waitUntil: "load" });
  await waitReady(opened.page);
  return opened;
}

async function waitForStart(page) {
  await waitInPage(page, () => window.pixelfolkPage.mainReturnedAt !== null, null, 30000, "the show to start");
  assert.equal(await page.evaluate(() => window.pixelfolkPage.state), "playing");
}

function contextStates(page) {
  return page.evaluate(() => window.__contexts.map((c) => c.state));
}

async function expectEndCard(page) {
  await waitInPage(page, () => !document.getElementById("end").hidden, null, 5000, "the end card");
  assert.match(await page.$eval("#end", (e) => e.textContent), /watch again/);
  assert.ok(await visible(page, "#end"), "the end card shows");
  assert.equal(await page.evaluate(() => document.fullscreenElement), null, "not in full screen");
  assert.equal(await visible(page, "#error"), false, "no error panel");
}

// The music's own time: the scenes follow its notes, and the capture tool's
// frame for show time t has the music at t too.
function waitForMusicTime(page, seconds) {
  return page.waitForFunction((t) => window.__contexts.at(-1).currentTime >= t,
    { timeout: (seconds + 30) * 1000, polling: 20 }, seconds);
}

function visible(page, selector) {
  return page.$eval(selector, (element) => !element.hidden && element.getBoundingClientRect().height > 0);
}

before(async () => {
  for (const file of ["index.html", "pixelfolk.js", "pixelfolk.wasm", "pixelfolk.data"]) {
    assert.ok(fs.existsSync(path.join(site, file)), `${site}/${file} is missing: run make web`);
  }
  const port = await freePort();
  server = spawn("/usr/bin/python3", ["-m", "http.server", "--bind", "127.0.0.1", "--directory", site, String(port)],
    { stdio: ["ignore", "ignore", "ignore"] });
  baseUrl = `http://127.0.0.1:${port}`;
  await waitForServer(`${baseUrl}/index.html`, 15000);

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
      "--autoplay-policy=no-user-gesture-required",
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

  await page.click("#start");
  await waitForStart(page);
  assert.equal(await visible(page, "#start"), false, "the start card is gone");
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
    (window.pixelfolkPage.endedAt - window.__contextTimes[0]) / 1000,
  ]);
  assert.ok(sinceClick > 96 && sinceMusic < 96.5, `ended ${sinceClick} s after the click, ${sinceMusic} s after the music`);
  assert.equal(await page.evaluate(() => window.pixelfolkPage.exitCode), 0);
  await expectEndCard(page);
  assert.deepEqual(await contextStates(page), ["closed"], "the sound stopped");
  assert.deepEqual(errors, [], "no errors in the console");
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
  assert.deepEqual(await contextStates(page), ["closed"], "the sound stopped");

  await page.click("#end");
  await waitForStart(page);
  assert.equal(await visible(page, "#end"), false, "the end card is gone");
  await sleep(2000);
  assert.deepEqual(await contextStates(page), ["closed", "running"], "the new showing has its own sound");
  // Leaving the full screen by any other way than Escape ends the show too.
  await page.evaluate(() => document.exitFullscreen());
  await waitInPage(page, () => window.pixelfolkPage.state === "ended", null, 15000, "the end on leaving full screen");
  await expectEndCard(page);
  assert.deepEqual(await contextStates(page), ["closed", "closed"]);
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
  assert.equal(await page.evaluate(() => window.__contexts.length), 0, "no AudioContext was made");
  assert.deepEqual(errors, [], "no errors in the console");
  await page.close();
});

// A resource list the show cannot read: its message box must become the
// page's error panel, with the same text as the console line, and the end
// card must follow without any sound having started.
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
  await waitReady(page);
  await page.click("#start");
  await waitInPage(page, () => !document.getElementById("error").hidden, null, 30000, "the error panel");

  const panel = await page.$eval("#error", (e) => e.innerText);
  assert.match(panel, /Error/);
  assert.ok(panel.includes(expected), `the panel says what the message box would: ${panel}`);
  assert.ok(errors.includes(`Error: ${expected}`), `the same text in the console: ${JSON.stringify(errors)}`);
  await waitInPage(page, () => !document.getElementById("end").hidden, null, 5000, "the end card");
  assert.equal(await page.evaluate(() => window.pixelfolkPage.exitCode), 1);
  assert.ok(await visible(page, "#error"), "the panel stays beside the end card");
  assert.equal(await page.evaluate(() => window.__contexts.length), 0, "no sound started");
  await page.close();
});
