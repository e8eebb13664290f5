// web_bench.mjs — the browser build's budgets in headless Chromium on
// SwiftShader (not a test: it reports, run by scripts/web_bench.sh): the
// download (wasm + js + data, gzipped), the time from loading the page to the
// language menu on screen, and the median frame (the loop's update and render
// as the game times them) while a level plays.
import fs from "node:fs";
import path from "node:path";
import zlib from "node:zlib";

import { GamePage, launch, looksLikeMenu, looksLikeTitle, pause, serve, webDir, wentThroughDoor, litShare } from "./harness.mjs";

const median = (values) => {
  const sorted = [...values].sort((a, b) => a - b);
  return sorted.length ? sorted[Math.floor(sorted.length / 2)] : NaN;
};
const percentile = (values, p) => {
  const sorted = [...values].sort((a, b) => a - b);
  return sorted.length ? sorted[Math.min(sorted.length - 1, Math.floor(sorted.length * p))] : NaN;
};
const mb = (bytes) => (bytes / 1e6).toFixed(2) + " MB";

// ---- download ----------------------------------------------------------------
let total = 0;
for (const name of ["orbel.wasm", "orbel.js", "orbel.data", "index.html", "page.js", "page.css"]) {
  const bytes = fs.readFileSync(path.join(webDir, name));
  const gz = zlib.gzipSync(bytes, { level: 9 }).length;
  total += gz;
  console.log(`download  ${name.padEnd(11)} ${mb(bytes.length).padStart(9)}  gzip ${mb(gz).padStart(9)}`);
}
console.log(`download  total gzip ${mb(total)}   (goal < 8 MB)`);

const server = await serve();
const browser = await launch();
try {
  // ---- page load to the language menu --------------------------------------
  const times = [];
  for (let run = 0; run < 3; ++run) {
    const context = await browser.createBrowserContext();
    const page = await context.newPage();
    await page.setViewport({ width: 960, height: 540 });
    const game = new GamePage(page, "bench");
    const start = Date.now();
    await page.goto(server.url);
    await page.waitForFunction(() => window.orbelPage && window.orbelPage.started, { timeout: 60000 });
    const menu = await game.waitFor(looksLikeMenu, 30);
    times.push((Date.now() - start) / 1000);
    if (!menu) throw new Error("no language menu");
    await context.close();
  }
  console.log(`startup   page load to language menu: median ${median(times).toFixed(2)} s of ${times.map((t) => t.toFixed(2)).join(", ")}   (goal < 3 s)`);

  // ---- a level's frames ----------------------------------------------------
  // The test hub's door beside the spawn point leads to the game's level 1.
  const context = await browser.createBrowserContext();
  const game = await GamePage.open(context, server.url, "bench");
  await game.useTestMap(0, "hub");
  if (!(await game.waitFor(looksLikeMenu, 20))) throw new Error("no language menu");
  await game.key("Enter");
  if (!(await game.waitFor(looksLikeTitle, 30))) throw new Error("no title");
  await pause(1.5);
  await game.key("Enter");
  await pause(4);
  await game.keyDown("ArrowDown");
  const entered = await game.waitFor(wentThroughDoor, 10);
  await game.keyUp("ArrowDown");
  if (!entered || !(await game.waitFor((f) => litShare(f) > 0.5, 30))) throw new Error("level 1 did not show");
  await pause(2);
  await game.shot("level-1");
  // No screenshots while measuring: each one holds the page up. Walking
  // half the time and standing the other half; first as the game runs,
  // then with each frame waiting for its GL work to finish.
  for (const sync of [false, true]) {
    await game.eval((s) => {
      orbelPage.syncFrames = s;
      orbelPage.frameMs.length = 0;
      orbelPage.benchFrames = orbelPage.frames;
      orbelPage.benchStart = performance.now();
    }, sync);
    await game.keyDown(sync ? "ArrowLeft" : "ArrowRight");
    await pause(3);
    await game.keyUp(sync ? "ArrowLeft" : "ArrowRight");
    await pause(3);
    const sample = await game.eval(() => ({
      ms: orbelPage.frameMs.slice(),
      rate: (orbelPage.frames - orbelPage.benchFrames) / ((performance.now() - orbelPage.benchStart) / 1000),
    }));
    const what = sync ? "update + render, GL finished" : "update + render calls     ";
    console.log(`frame     level 1, ${what}: median ${median(sample.ms).toFixed(2)} ms, 95th percentile ${percentile(sample.ms, 0.95).toFixed(2)} ms over ${sample.ms.length} frames, ${sample.rate.toFixed(1)} frames/s   (goal: median < 8 ms)`);
  }
  await game.shot("level-1-walked");
  if (game.errors.length) console.log("errors on the console:\n" + game.errors.join("\n"));
} finally {
  await browser.close();
  await server.close();
}
