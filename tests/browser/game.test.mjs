// game.test.mjs — the browser build played in headless Chromium: the front
// end in both languages, walking and the pause menu in the hub, the sound
// unlocking with the first key, suspension when the page loses the focus,
// and progress kept in the browser's storage across a reload. Every check
// looks at the canvas as the browser shows it; no error may reach the
// console.
import assert from "node:assert/strict";
import { after, afterEach, before, describe, test } from "node:test";

import {
  GamePage, changedShare, launch, likeness, litShare, looksLikeMenu, looksLikeTitle, pause, secondLine, serve,
  wentThroughDoor,
} from "./harness.mjs";

let server, browser;
let contexts = [];

before(async () => {
  server = await serve();
  browser = await launch();
});
// Only one game runs at a time: a page left open would share the machine
// (and the browser's idea of which page is in front) with the next.
afterEach(async () => {
  for (const context of contexts) await context.close();
  contexts = [];
});
after(async () => {
  await browser?.close();
  await server?.close();
});

// A fresh profile each: its own storage, so no test sees another's saves.
async function newContext() {
  const context = await browser.createBrowserContext();
  contexts.push(context);
  return context;
}

async function openGame(name) {
  return GamePage.open(await newContext(), server.url, name);
}

function assertNoErrors(game) {
  assert.deepEqual(game.errors, [], `errors on the console:\n${game.logText()}`);
}

// Language menu → (Down for Spanish) Enter → intro → title, then Enter to
// the hub. Returns the title and the hub as shown.
async function enterHub(game, { spanish = false } = {}) {
  const menu = await game.waitFor(looksLikeMenu, 20);
  assert.ok(menu, `no language menu\n${game.logText()}`);
  game.save(menu, "language-menu");
  if (spanish) {
    await game.key("ArrowDown");
    const moved = await game.waitFor((f) => changedShare(menu, f, { x: 300, y: 200, width: 360, height: 140 }) > 0.05, 5);
    assert.ok(moved, "the menu cursor did not move to the second language");
    game.save(moved, "language-menu-down");
  }
  await game.key("Enter");
  const intro = await game.waitFor((f) => !looksLikeMenu(f) && litShare(f) > 0.005 && litShare(f) < 0.5, 20);
  assert.ok(intro, `no intro logo\n${game.logText()}`);
  game.save(intro, "intro");
  assert.ok(await game.waitFor(looksLikeTitle, 30), `never reached the title\n${game.logText()}`);
  await pause(1.5); // the title fades in over a second
  const title = await game.shot("title");
  await game.key("Enter");
  const hub = await game.waitFor((f) => changedShare(title, f) > 0.3 && litShare(f) > 0.5, 30);
  assert.ok(hub, `never reached the hub\n${game.logText()}`);
  await pause(2); // the one-second fade-in
  return { title, hub: await game.shot("hub") };
}

// Language menu → English → title → Enter, for a game that is to fail on
// the way into the hub.
async function enterHubFailing(game) {
  assert.ok(await game.waitFor(looksLikeMenu, 20), "no language menu");
  await game.key("Enter");
  assert.ok(await game.waitFor(looksLikeTitle, 30), "never reached the title");
  await pause(1.5);
  await game.key("Enter");
  await game.page.waitForFunction(() => orbelPage.ended !== null, { timeout: 30000 });
}

// The columns of the title's blinking prompt (right of the centre, where
// the falling leaf never goes) that change over a couple of blinks.
async function blinkingWidth(game) {
  const first = await game.grab();
  const changed = new Uint8Array(first.width);
  for (let i = 0; i < 12; ++i) {
    await pause(0.1);
    const f = await game.grab();
    for (let y = 400; y < 510; ++y)
      for (let x = 330; x < 960; ++x) {
        const p = 4 * (y * f.width + x);
        const d = Math.abs(f.data[p] - first.data[p]) + Math.abs(f.data[p + 1] - first.data[p + 1]) +
          Math.abs(f.data[p + 2] - first.data[p + 2]);
        if (d > 60) changed[x] = 1;
      }
  }
  const lo = changed.indexOf(1), hi = changed.lastIndexOf(1);
  return lo < 0 ? 0 : hi - lo + 1;
}

describe("the browser build", () => {
  test("goes from the language menu through the intro and the title to the hub in English, where Right walks and Enter pauses", async () => {
    const game = await openGame("english");
    const { hub } = await enterHub(game);

    await game.keyDown("ArrowRight");
    await pause(1);
    await game.keyUp("ArrowRight");
    await pause(0.5);
    const walked = await game.shot("walked-right");
    // The character moved on, and the camera with it: the ground and what
    // stands on it are not where they were.
    assert.ok(changedShare(hub, walked, { x: 0, y: 150, width: 960, height: 390 }) > 0.02, "holding Right moved nothing");

    const before = await game.grab();
    await game.key("Enter");
    const paused = await game.waitFor((f) => changedShare(before, f, { x: 240, y: 100, width: 480, height: 340 }) > 0.05, 5);
    assert.ok(paused, "Enter opened no pause menu");
    await pause(0.5);
    await game.shot("pause-menu");
    assertNoErrors(game);
  });

  test("goes the same way in Spanish, whose title prompt is the longer text", async () => {
    const english = await openGame("title-english");
    assert.ok(await english.waitFor(looksLikeMenu, 20));
    await english.key("Enter");
    assert.ok(await english.waitFor(looksLikeTitle, 30));
    await pause(1.5);
    const englishWidth = await blinkingWidth(english);
    await english.page.close();
    assertNoErrors(english);

    const game = await openGame("spanish");
    // Through the title to the hub, measuring the prompt on the way.
    const menu = await game.waitFor(looksLikeMenu, 20);
    assert.ok(menu);
    await game.key("ArrowDown");
    await pause(0.5);
    await game.key("Enter");
    assert.ok(await game.waitFor(looksLikeTitle, 30), `never reached the title\n${game.logText()}`);
    await pause(1.5);
    const spanishWidth = await blinkingWidth(game);
    const title = await game.shot("title");
    assert.ok(englishWidth > 60, `no blinking prompt on the English title (${englishWidth})`);
    assert.ok(spanishWidth > englishWidth + 30, `the prompt is not the Spanish text (${spanishWidth} vs ${englishWidth})`);
    await game.key("Enter");
    const hub = await game.waitFor((f) => changedShare(title, f) > 0.3 && litShare(f) > 0.5, 30);
    assert.ok(hub, "never reached the hub");
    await pause(2);
    await game.shot("hub");
    assertNoErrors(game);
  });

  test("keeps the sound locked until the first key press, and suspends while the page has no focus", async () => {
    const game = await openGame("sound-focus");
    assert.ok(await game.waitFor(looksLikeMenu, 20));
    // Under automation the page counts as used from the start, so the
    // browser would not lock the sound: lock it as a player's browser does,
    // and let the first key press open it.
    assert.equal(await game.eval(() => orbelPage.audioState()), "running", "the game made no sound device");
    await game.eval(() => Promise.all(Object.values(AL.contexts).map((c) => c.audioCtx.suspend())));
    assert.equal(await game.eval(() => orbelPage.audioState()), "suspended");
    await game.key("Shift");
    await pause(0.5);
    assert.equal(await game.eval(() => orbelPage.audioState()), "running", "the first key press did not start the sound");

    assert.equal(await game.eval(() => orbelPage.suspended()), false);
    await game.eval(() => window.dispatchEvent(new FocusEvent("blur")));
    await pause(0.5);
    assert.equal(await game.eval(() => orbelPage.suspended()), true, "losing the focus did not suspend the game");
    const frames = await game.eval(() => orbelPage.frames);
    await game.eval(() => window.dispatchEvent(new FocusEvent("focus")));
    await pause(0.5);
    assert.equal(await game.eval(() => orbelPage.suspended()), false, "the focus coming back did not resume the game");
    assert.ok((await game.eval(() => orbelPage.frames)) > frames, "no frames after resuming");
    assertNoErrors(game);
  });

  test("takes a gamepad in the browser's standard mapping: the D-pad moves the menu cursor and A confirms", async () => {
    const context = await newContext();
    const page = await context.newPage();
    // One pad, as the Gamepad API reports a recognised one; the test holds
    // its buttons through window.pad.
    await page.evaluateOnNewDocument(() => {
      window.pad = { buttons: new Array(17).fill(false), axes: [0, 0, 0, 0] };
      navigator.getGamepads = () => [{
        id: "Scripted pad", index: 0, connected: true, mapping: "standard", timestamp: performance.now(),
        axes: window.pad.axes.slice(),
        buttons: window.pad.buttons.map((pressed) => ({ pressed, touched: pressed, value: pressed ? 1 : 0 })),
      }];
    });
    await page.setViewport({ width: 960, height: 540 });
    const game = new GamePage(page, "gamepad");
    await game.load(server.url);
    const press = async (button) => {
      await game.eval((b) => { window.pad.buttons[b] = true; }, button);
      await pause(0.3);
      await game.eval((b) => { window.pad.buttons[b] = false; }, button);
    };
    const menu = await game.waitFor(looksLikeMenu, 20);
    assert.ok(menu, "no language menu");
    await press(13); // D-pad down
    const moved = await game.waitFor((f) => changedShare(menu, f, { x: 300, y: 200, width: 360, height: 140 }) > 0.05, 5);
    assert.ok(moved, "the D-pad did not move the menu cursor");
    game.save(moved, "language-menu-down");
    await press(0); // A
    const intro = await game.waitFor((f) => !looksLikeMenu(f) && litShare(f) > 0.005 && litShare(f) < 0.5, 20);
    assert.ok(intro, "A did not confirm the language");
    game.save(intro, "intro");
    assertNoErrors(game);
  });

  test("switches fullscreen with Alt+Enter, F11 and the button, and the game's keys never scroll the page", async () => {
    const game = await openGame("fullscreen");
    assert.ok(await game.waitFor(looksLikeMenu, 20), "no language menu");
    const fullscreen = () => game.eval(() => !!document.fullscreenElement);
    await game.keyDown("Alt");
    await game.key("Enter");
    await game.keyUp("Alt");
    await pause(0.5);
    assert.equal(await fullscreen(), true, "Alt+Enter did not go fullscreen");
    assert.ok(looksLikeMenu(await game.grab()), "Alt+Enter reached the game as Enter");
    await game.key("F11");
    await pause(0.5);
    assert.equal(await fullscreen(), false, "F11 did not leave fullscreen");
    for (const key of ["ArrowDown", "ArrowUp", "ArrowDown", "ArrowDown"]) await game.key(key);
    assert.equal(await game.eval(() => window.scrollY), 0, "the arrow keys scrolled the page");
    await game.page.click("#fullscreen");
    await pause(0.5);
    assert.equal(await fullscreen(), true, "the button did not go fullscreen");
    assertNoErrors(game);
  });

  test("shows a runtime error on the page, and stops there", async () => {
    const game = await openGame("runtime-error");
    // A damaged hub map: the loader ends the game with its runtime error.
    await game.eval(() => FS.writeFile("/data/level0.tmx", "<map width='9' broken"));
    await enterHubFailing(game);
    const shown = await game.eval(() => !document.getElementById("message").hidden &&
      document.getElementById("message").textContent);
    assert.match(shown || "", /Orbel ended with an error:\n.*Cobalt Runtime Error : XMLParser/);
    assert.equal(await game.eval(() => orbelPage.ended), -1);
    const frames = await game.eval(() => orbelPage.frames);
    await pause(0.5);
    assert.equal(await game.eval(() => orbelPage.frames), frames, "frames went on after the error");
    await game.shot("error-shown");
    assert.equal(game.errors.length, 1, game.errors.join("\n"));
    assert.match(game.errors[0], /runtime error: Cobalt Runtime Error/);
  });

  test("says so when the browser lacks WebAssembly or WebGL", async () => {
    const cases = [
      { lacks: "WebAssembly", hide: () => { delete window.WebAssembly; } },
      { lacks: "WebGL", hide: () => { HTMLCanvasElement.prototype.getContext = () => null; } },
    ];
    for (const c of cases) {
      const page = await (await newContext()).newPage();
      await page.evaluateOnNewDocument(c.hide);
      await page.goto(server.url);
      await page.waitForFunction(() => !document.getElementById("message").hidden, { timeout: 10000 });
      const text = await page.evaluate(() => document.getElementById("message").textContent);
      assert.match(text, new RegExp(`Orbel needs ${c.lacks}`), c.lacks);
      assert.equal(await page.evaluate(() => typeof window.Module), "undefined", "the game was loaded all the same");
    }
  });

  test("keeps the progress the game saves across a reload: the second door opens", async () => {
    const game = await GamePage.open(await newContext(), server.url, "progress");
    // A hub of two doors (the spawn point beside the second, the first
    // against the left wall) and a level that holding Right finishes.
    const useTestMaps = async () => {
      await game.useTestMap(0, "two_doors");
      await game.useTestMap(1, "exit");
      await game.useTestMap(2, "exit");
    };
    await useTestMaps();
    await enterHub(game);
    // Between the clouds and the character's head.
    const doorSign = { x: 0, y: 270, width: 960, height: 140 };
    await pause(1.5); // the sign fades in
    const shutSign = secondLine(await game.shot("second-door-shut"), doorSign);

    await game.keyDown("ArrowLeft");
    await pause(2);
    await game.keyUp("ArrowLeft");
    await pause(1.5);
    const openSign = secondLine(await game.shot("first-door"), doorSign);
    assert.ok(openSign.x1 > 0 && shutSign.x1 > 0, "a door shows no sign");
    assert.ok(likeness(openSign, shutSign) < 0.5, "the second door read as open before any progress");

    await game.keyDown("ArrowDown");
    const entered = await game.waitFor(wentThroughDoor, 10);
    await game.keyUp("ArrowDown");
    assert.ok(entered, `the first door did not open\n${game.logText()}`);
    assert.ok(await game.waitFor((f) => litShare(f) > 0.5, 30), "level 1 did not show");
    await pause(2);
    await game.shot("level-1");
    await game.keyDown("ArrowRight");
    const finished = await game.waitFor(wentThroughDoor, 30);
    await game.keyUp("ArrowRight");
    assert.ok(finished, `the exit doors did not open\n${game.logText()}`);
    await pause(2); // the save reaches the browser's storage
    assertNoErrors(game);

    await game.load(); // the page again, from the start
    assert.ok(await game.eval(() => FS.readdir("/home/web_user/.local/share/orbel").includes(".cobaltstate")),
      "the saved progress did not come back after the reload");
    await useTestMaps();
    await enterHub(game);
    await pause(1.5);
    const secondDoor = secondLine(await game.shot("second-door-after-reload"), doorSign);
    const match = likeness(openSign, secondDoor);
    assert.ok(match > 0.65, `the second door does not read "Press DOWN to enter" (likeness ${match.toFixed(2)})`);
    await game.keyDown("ArrowDown");
    const opened = await game.waitFor(wentThroughDoor, 10);
    await game.keyUp("ArrowDown");
    assert.ok(opened, "Down at the second door did not go in");
    assertNoErrors(game);
  });
});
