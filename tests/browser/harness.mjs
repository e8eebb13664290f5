// harness.mjs — what the browser tests share: a tiny HTTP server for
// build-web/, headless Chromium (the system's, through puppeteer-core) with
// software WebGL, the game's page with its console watched, screenshots of the
// canvas kept in build-web/browser-gallery/, and tolerant measures of a frame
// (the desktop's black-box checks, on the same 960 x 540 picture).
import fs from "node:fs";
import http from "node:http";
import path from "node:path";
import { fileURLToPath } from "node:url";

import { PNG } from "pngjs";
import puppeteer from "puppeteer-core";

const here = path.dirname(fileURLToPath(import.meta.url));
export const sourceDir = path.resolve(here, "../..");
export const webDir = path.resolve(process.env.ORBEL_WEB_DIR || path.join(sourceDir, "build-web"));
export const testLevelsDir = path.resolve(process.env.ORBEL_WEB_TEST_LEVELS || path.join(sourceDir, "build-web-tools/test-levels"));
export const galleryDir = path.join(webDir, "browser-gallery");
// Longer waits on a busy machine.
const slow = Number(process.env.ORBEL_BLACKBOX_SLOW || 1);

const types = {
  ".html": "text/html; charset=utf-8", ".js": "text/javascript", ".mjs": "text/javascript", ".css": "text/css",
  ".wasm": "application/wasm", ".data": "application/octet-stream", ".png": "image/png",
};

// Serves `dir` on 127.0.0.1 at a free port; only files inside it.
export async function serve(dir = webDir) {
  const server = http.createServer((request, response) => {
    const name = decodeURIComponent(new URL(request.url, "http://x").pathname);
    const file = path.join(dir, path.normalize(name === "/" ? "/index.html" : name));
    if (!file.startsWith(dir + path.sep) || !fs.existsSync(file) || !fs.statSync(file).isFile()) {
      response.writeHead(404).end();
      return;
    }
    response.writeHead(200, { "Content-Type": types[path.extname(file)] || "application/octet-stream" });
    fs.createReadStream(file).pipe(response);
  });
  await new Promise((resolve) => server.listen(0, "127.0.0.1", resolve));
  return { url: `http://127.0.0.1:${server.address().port}/`, close: () => new Promise((r) => server.close(r)) };
}

export async function launch() {
  return puppeteer.launch({
    executablePath: process.env.CHROMIUM || "/usr/bin/chromium",
    headless: true,
    args: [
      "--headless=new", "--use-gl=swiftshader", "--enable-unsafe-swiftshader", "--no-sandbox",
      // As a player's browser is: sound stays locked until the page is used.
      "--autoplay-policy=user-gesture-required",
    ],
  });
}

export const pause = (seconds) => new Promise((resolve) => setTimeout(resolve, seconds * 1000));

// One page of the game in `context`, its console and errors collected.
export class GamePage {
  constructor(page, name) {
    this.page = page;
    this.name = name;
    this.errors = [];
    this.log = [];
    this.shots = 0;
    page.on("console", (m) => {
      this.log.push(`${m.type()}: ${m.text()}`);
      if (m.type() === "error") this.errors.push(m.text());
    });
    page.on("pageerror", (e) => this.errors.push(String(e.message || e)));
  }

  static async open(context, url, name) {
    const page = await context.newPage();
    await page.setViewport({ width: 960, height: 540 });
    const game = new GamePage(page, name);
    await game.load(url);
    return game;
  }

  async load(url) {
    this.canvasBox = null;
    if (url) await this.page.goto(url);
    else await this.page.reload();
    await this.page.waitForFunction(() => window.orbelPage && window.orbelPage.started, { timeout: 60000 * slow });
  }

  // The canvas as it shows now: { width, height, data (RGBA) }.
  async grab() {
    if (!this.canvasBox) this.canvasBox = await (await this.page.$("#canvas")).boundingBox();
    const png = await this.page.screenshot({ type: "png", clip: this.canvasBox, optimizeForSpeed: true });
    return PNG.sync.read(Buffer.from(png));
  }

  // Grabs and keeps the frame in the gallery as <test>-<n>-<label>.png.
  async shot(label) {
    const frame = await this.grab();
    this.save(frame, label);
    return frame;
  }

  save(frame, label) {
    fs.mkdirSync(galleryDir, { recursive: true });
    const png = new PNG({ width: frame.width, height: frame.height });
    frame.data.copy(png.data);
    const n = String(++this.shots).padStart(2, "0");
    fs.writeFileSync(path.join(galleryDir, `${this.name}-${n}-${label}.png`), PNG.sync.write(png));
  }

  // The first frame within `seconds` that `test` accepts, or null.
  async waitFor(test, seconds) {
    const deadline = Date.now() + seconds * 1000 * slow;
    while (Date.now() < deadline) {
      const frame = await this.grab();
      if (test(frame)) return frame;
      await pause(0.05);
    }
    return null;
  }

  async key(name) { await this.page.keyboard.press(name); }
  async keyDown(name) { await this.page.keyboard.down(name); }
  async keyUp(name) { await this.page.keyboard.up(name); }
  eval(fn, ...args) { return this.page.evaluate(fn, ...args); }

  // Puts a compiled test map in place of a level's map in the page's file
  // system, as the desktop's black-box tests link them into a data folder.
  async useTestMap(level, name) {
    const bytes = fs.readFileSync(path.join(testLevelsDir, `${name}.tmx`)).toString("base64");
    await this.eval((file, text) => {
      FS.writeFile(file, Uint8Array.from(atob(text), (c) => c.charCodeAt(0)));
    }, `/data/level${level}.tmx`, bytes);
  }

  logText() { return this.log.slice(-40).join("\n"); }
}

// ---- measures of a frame ------------------------------------------------------

export const whole = { x: 0, y: 0, width: 960, height: 540 };

function forEach(f, r, fn) {
  const x1 = Math.min(f.width, r.x + r.width), y1 = Math.min(f.height, r.y + r.height);
  for (let y = Math.max(0, r.y); y < y1; ++y)
    for (let x = Math.max(0, r.x); x < x1; ++x) {
      const i = 4 * (y * f.width + x);
      fn(x, y, f.data[i], f.data[i + 1], f.data[i + 2]);
    }
}
const area = (f, r) => Math.max(1, (Math.min(f.width, r.x + r.width) - r.x) * (Math.min(f.height, r.y + r.height) - r.y));

export function litShare(f, r = whole) {
  let n = 0;
  forEach(f, r, (x, y, red, green, blue) => { n += red + green + blue > 48; });
  return n / area(f, r);
}

export function colourShare(f, r, red, green, blue, tolerance) {
  let n = 0;
  forEach(f, r, (x, y, R, G, B) => {
    n += Math.abs(R - red) <= tolerance && Math.abs(G - green) <= tolerance && Math.abs(B - blue) <= tolerance;
  });
  return n / area(f, r);
}

export function colourCount(f, r = whole) {
  const seen = new Set();
  forEach(f, r, (x, y, R, G, B) => seen.add(((R >> 4) << 8) | ((G >> 4) << 4) | (B >> 4)));
  return seen.size;
}

export function changedShare(a, b, r = whole, threshold = 24) {
  if (a.width !== b.width || a.height !== b.height) return 1;
  let n = 0;
  forEach(a, r, (x, y, R, G, B) => {
    const i = 4 * (y * b.width + x);
    n += Math.abs(R - b.data[i]) > threshold || Math.abs(G - b.data[i + 1]) > threshold || Math.abs(B - b.data[i + 2]) > threshold;
  });
  return n / area(a, r);
}

// The language menu: a small lit panel with its flags in the middle of a
// black screen.
export const looksLikeMenu = (f) =>
  litShare(f, { x: 0, y: 0, width: 960, height: 150 }) < 0.01 &&
  litShare(f, { x: 300, y: 200, width: 360, height: 140 }) > 0.2 &&
  colourCount(f, { x: 300, y: 200, width: 360, height: 140 }) >= 6;
// The title: a full, colourful picture.
export const looksLikeTitle = (f) => litShare(f) > 0.8 && colourCount(f) > 40;
// A door opening fades the whole screen to white.
export const whiteOut = (f) => colourShare(f, whole, 255, 255, 255, 20) > 0.9;
// A door went in: the screen is white, or already dark while the next
// level loads (screenshots are too slow to be sure of catching the white).
export const wentThroughDoor = (f) => whiteOut(f) || litShare(f) < 0.02;

// The white text's lower line in a region (a door's sign: its second line
// is "Press DOWN to enter" or "Beat Lv 1 to unlock"), as a mask.
export function secondLine(f, r) {
  const m = { width: r.width, height: r.height, on: new Uint8Array(r.width * r.height), x0: r.width, x1: -1, y0: 0, y1: -1 };
  const rows = new Array(r.height).fill(0);
  forEach(f, r, (x, y, R, G, B) => {
    if (Math.min(R, G, B) >= 248) {
      m.on[(y - r.y) * r.width + (x - r.x)] = 1;
      rows[y - r.y]++;
    }
  });
  const top = rows.findIndex((n) => n > 0);
  if (top < 0) return m;
  let bottom = top;
  rows.forEach((n, y) => { if (n) bottom = y; });
  // The longest blank run between the lines starts the second one.
  let gapEnd = top, gapLength = 0;
  for (let y = top, run = 0; y <= bottom; ++y) {
    run = rows[y] ? 0 : run + 1;
    if (run > gapLength) { gapLength = run; gapEnd = y + 1; }
  }
  m.y0 = gapLength > 0 ? gapEnd : top;
  m.y1 = bottom;
  for (let y = 0; y < m.height; ++y)
    for (let x = 0; x < m.width; ++x) {
      const i = y * m.width + x;
      if (y < m.y0 || y > m.y1) m.on[i] = 0;
      else if (m.on[i]) { m.x0 = Math.min(m.x0, x); m.x1 = Math.max(m.x1, x); }
    }
  return m;
}

// How much two masks overlap (0..1) at the best alignment near their
// corners.
export function likeness(a, b) {
  if (a.x1 < 0 || b.x1 < 0) return 0;
  let best = 0;
  for (let ny = -3; ny <= 3; ++ny)
    for (let nx = -3; nx <= 3; ++nx) {
      const ox = b.x0 - a.x0 + nx, oy = b.y0 - a.y0 + ny;
      let both = 0, either = 0;
      const ylo = Math.min(a.y0, b.y0 - oy), yhi = Math.max(a.y1, b.y1 - oy);
      const xlo = Math.min(a.x0, b.x0 - ox), xhi = Math.max(a.x1, b.x1 - ox);
      for (let y = ylo; y <= yhi; ++y)
        for (let x = xlo; x <= xhi; ++x) {
          const pa = x >= 0 && y >= 0 && x < a.width && y < a.height && a.on[y * a.width + x] === 1;
          const bx = x + ox, by = y + oy;
          const pb = bx >= 0 && by >= 0 && bx < b.width && by < b.height && b.on[by * b.width + bx] === 1;
          both += pa && pb;
          either += pa || pb;
        }
      if (either) best = Math.max(best, both / either);
    }
  return best;
}
