// page.js — runs the browser build on the page: checks that the browser has
// WebAssembly and WebGL, loads the game (orbel.js) with a progress bar for
// its data, fits the canvas to the window in whole multiples of the game's
// virtual screen, unlocks the sound on the first key press or click, and
// shows a runtime error or the game's end. window.orbelPage exposes the
// game's state to the browser tests and the web benchmark.
"use strict";

(function () {
  // The game's virtual screen. The game draws it at one canvas pixel per art
  // pixel, and the page shows the canvas at the largest whole multiple that
  // fits, its pixels kept square (image-rendering: pixelated): the same
  // picture as a larger canvas, for a ninth of the drawing at three times,
  // which is what a software-rendered browser can afford.
  var VIRTUAL_WIDTH = 320, VIRTUAL_HEIGHT = 180;
  var KEPT_FRAME_TIMES = 1200;

  var stage = document.getElementById("stage");
  var canvas = document.getElementById("canvas");
  var loading = document.getElementById("loading");
  var statusLine = document.getElementById("status");
  var progress = document.getElementById("progress");
  var message = document.getElementById("message");
  var output = [];
  var syncPixel = new Uint8Array(4);

  var page = {
    started: false,
    frames: 0,
    frameMs: [],
    firstFrameAt: 0,
    syncFrames: false,
    ended: null,
    audioState: audioState,
    suspended: function () { return typeof Module._orbel_web_suspended === "function" && Module._orbel_web_suspended() !== 0; }
  };
  window.orbelPage = page;

  function show(text) {
    loading.hidden = true;
    message.textContent = text;
    message.hidden = false;
  }

  function remember(line) {
    output.push(line);
    if (output.length > 20) output.shift();
  }

  function webglAvailable() {
    try {
      var probe = document.createElement("canvas");
      return !!(window.WebGLRenderingContext && (probe.getContext("webgl") || probe.getContext("experimental-webgl")));
    } catch (e) {
      return false;
    }
  }

  function fitCanvas() {
    var ratio = window.devicePixelRatio || 1;
    var width = stage.clientWidth * ratio, height = stage.clientHeight * ratio;
    var scale = Math.max(1, Math.floor(Math.min(width / VIRTUAL_WIDTH, height / VIRTUAL_HEIGHT)));
    if (canvas.width !== VIRTUAL_WIDTH) canvas.width = VIRTUAL_WIDTH;
    if (canvas.height !== VIRTUAL_HEIGHT) canvas.height = VIRTUAL_HEIGHT;
    canvas.style.width = VIRTUAL_WIDTH * scale / ratio + "px";
    canvas.style.height = VIRTUAL_HEIGHT * scale / ratio + "px";
  }

  function setFullscreen(on) {
    if (on && !document.fullscreenElement && stage.requestFullscreen) {
      stage.requestFullscreen().catch(function () {});
    } else if (!on && document.fullscreenElement) {
      document.exitFullscreen().catch(function () {});
    }
  }

  // Emscripten's OpenAL plays through one Web Audio context per AL context;
  // browsers keep them suspended until the page has been used.
  function audioContexts() {
    var list = [];
    if (typeof AL === "undefined" || !AL.contexts) return list;
    for (var id in AL.contexts) {
      var context = AL.contexts[id];
      if (context && context.audioCtx) list.push(context.audioCtx);
    }
    return list;
  }

  function audioState() {
    var contexts = audioContexts();
    if (contexts.length === 0) return "none";
    return contexts.every(function (c) { return c.state === "running"; }) ? "running" : contexts[0].state;
  }

  function unlockAudio() {
    audioContexts().forEach(function (c) {
      if (c.state !== "running") c.resume().catch(function () {});
    });
  }

  if (typeof WebAssembly !== "object" || typeof WebAssembly.instantiate !== "function") {
    show("Orbel needs WebAssembly, which this browser does not offer (or has turned off).");
    return;
  }
  if (!webglAvailable()) {
    show("Orbel needs WebGL, which this browser does not offer (or has turned off, or the graphics driver blocks).");
    return;
  }

  // The keys the game uses must not scroll the page; F11 is the game's
  // fullscreen (the browser's own is the same thing).
  window.addEventListener("keydown", function (event) {
    var k = event.key;
    if (k === " " || k === "ArrowUp" || k === "ArrowDown" || k === "ArrowLeft" || k === "ArrowRight" ||
        k === "PageUp" || k === "PageDown" || k === "Home" || k === "End" || k === "F11") {
      event.preventDefault();
    }
  }, false);
  ["keydown", "mousedown", "touchstart"].forEach(function (type) {
    window.addEventListener(type, unlockAudio, true);
  });
  document.getElementById("fullscreen").addEventListener("click", function () {
    setFullscreen(!document.fullscreenElement);
    canvas.focus();
  });
  window.addEventListener("resize", fitCanvas);
  document.addEventListener("fullscreenchange", fitCanvas);
  fitCanvas();

  window.Module = {
    canvas: canvas,
    print: function (text) { console.log(text); remember(text); },
    printErr: function (text) { console.warn(text); remember(text); },
    setStatus: function (text) {
      // Emscripten reports the data's download as "... (loaded/total)".
      var m = /\((\d+(?:\.\d+)?)\/(\d+)\)/.exec(text);
      if (m) {
        progress.value = Number(m[1]) / Math.max(1, Number(m[2]));
        statusLine.textContent = "Loading the game… " + Math.round(100 * progress.value) + "%";
      } else if (!text) {
        loading.hidden = true;
      }
    },
    onAbort: function (what) {
      console.error("Orbel stopped: " + what);
      show("Orbel stopped: " + what + "\n" + output.join("\n"));
    },
    orbelFitCanvas: fitCanvas,
    orbelSetFullscreen: setFullscreen,
    // Called after each frame with the time it started (performance.now()).
    // The GL work may still be under way in the browser's GPU process; with
    // page.syncFrames set (the web benchmark sets it) the frame waits for it
    // to finish, so its time is the whole cost of the update and the render.
    orbelFrameDone: function (start) {
      if (page.syncFrames && Module.ctx) Module.ctx.readPixels(0, 0, 1, 1, Module.ctx.RGBA, Module.ctx.UNSIGNED_BYTE, syncPixel);
      var ms = performance.now() - start;
      if (!page.started) {
        page.started = true;
        page.firstFrameAt = performance.now();
        loading.hidden = true;
      }
      page.frames++;
      page.frameMs.push(ms);
      if (page.frameMs.length > KEPT_FRAME_TIMES) page.frameMs.shift();
    },
    orbelEnded: function (code) {
      page.ended = code;
      if (code === 0) {
        show("The game has ended. Reload the page to play again.");
        return;
      }
      var report = output.filter(function (line) { return /Runtime Error|cannot|failed|Failed/.test(line); });
      console.error("Orbel ended with a runtime error: " + report.join(" | "));
      show("Orbel ended with an error:\n" + (report.length ? report : output).join("\n"));
    }
  };
  window.addEventListener("error", function (event) {
    if (!page.started) show("Orbel could not start: " + event.message);
  });

  var script = document.createElement("script");
  script.src = "orbel.js";
  script.onerror = function () { show("Orbel could not load orbel.js from the server."); };
  document.body.appendChild(script);
})();
