// The page around the game (linked before Emscripten's loader): the command line from the
// address, the canvas the host paints changed rectangles into, keys, mouse and gamepads
// into the game, WebAudio for what the sound devices are given, and the answers the tests
// read (dumpState, the files of a headless run).
//
// Address: ?headless&script=TEXT&runFor=MS&screenshot=MS,MS...&dumpState&randomPlay=SEED&mute
// (TEXT: the lines of a --script file). A headless run writes into the page's memory only;
// Module.tolvaranPage.outputs holds its files by name when it has ended.
Module.tolvaranPage = (function () {
  'use strict';
  var params = new URLSearchParams(location.search);
  var page = {
    headless: params.has('headless'),
    ready: false,
    exitCode: null,
    outputs: null,
    frames: 0,
    firstFrameMs: null,
    dumpWaiters: [],
  };

  // ---- the command line ----------------------------------------------------------------
  var args = [];
  var screenshots = [];
  if (page.headless) args.push('--headless');
  if (params.has('mute')) args.push('--mute');
  if (params.has('script')) args.push('--script', '/in/script.txt');
  if (params.has('runFor')) args.push('--run-for', params.get('runFor'));
  if (params.has('randomPlay')) args.push('--random-play', params.get('randomPlay'));
  params.getAll('screenshot').join(',').split(',').filter(Boolean).forEach(function (ms) {
    screenshots.push(ms);
    args.push('--screenshot', ms + ':/out/' + ms + '.png');
  });
  if (page.headless && params.has('dumpState')) args.push('--dump-state', '/out/state.json');
  Module.arguments = args;
  Module.preRun = (Module.preRun || []).concat(function () {
    FS.mkdir('/in');
    FS.mkdir('/out');
    if (params.has('script')) FS.writeFile('/in/script.txt', params.get('script'));
  });
  Module.onExit = function (code) {
    page.exitCode = code;
    var outputs = {};
    FS.readdir('/out').forEach(function (name) {
      if (name !== '.' && name !== '..') outputs[name] = FS.readFile('/out/' + name);
    });
    page.outputs = outputs;
    page.setStatus(page.headless ? 'Finished (' + code + ').' : 'The game has ended. Reload the page to play again.');
  };

  // ---- loading and status --------------------------------------------------------------
  page.setStatus = function (text) {
    var el = document.getElementById('status');
    if (el) el.textContent = text;
  };
  Module.setStatus = function (text) {
    // "Downloading data... (12345/67890)" while the data file comes, then "".
    var m = /\((\d+(?:\.\d+)?)\/(\d+)\)/.exec(text || '');
    var bar = document.getElementById('progress');
    if (bar) {
      if (m) {
        bar.max = +m[2];
        bar.value = +m[1];
      }
      bar.hidden = !text;
    }
    if (text) page.setStatus(text.replace(/\s*\(.*\)$/, ''));
  };
  Module.onRuntimeInitialized = function () {
    page.ready = true;
    var waiting = !page.headless && page.audio.state() !== 'running';
    page.setStatus(page.headless ? 'Running headless...' : waiting ? 'Click or press a key to start the sound.' : '');
    page.audio.loadTune();
  };

  // ---- the canvas ----------------------------------------------------------------------
  var canvas = null, ctx = null, scaleChoice = 0;
  function fit() {
    if (!canvas) return;
    var bar = document.getElementById('controls');
    var availW = window.innerWidth, availH = window.innerHeight - (bar ? bar.offsetHeight : 0) - 8;
    var s = Math.max(1, Math.floor(Math.min(availW / canvas.width, availH / canvas.height)));
    if (scaleChoice > 0) s = scaleChoice;
    canvas.style.width = canvas.width * s + 'px';
    canvas.style.height = canvas.height * s + 'px';
  }
  page.fit = fit;
  page.setScale = function (s) { scaleChoice = s; fit(); };
  // A block from the host: width, height, count, then x, y, w, h per rectangle, then each
  // rectangle's RGBA pixels.
  page.paint = function (ptr) {
    if (!ctx) {
      canvas = document.getElementById('screen');
      ctx = canvas.getContext('2d');
    }
    var p = ptr >> 2;
    var w = HEAPU32[p], h = HEAPU32[p + 1], n = HEAPU32[p + 2];
    if (canvas.width !== w || canvas.height !== h) {
      canvas.width = w;
      canvas.height = h;
      fit();
    }
    var at = (p + 3 + n * 4) * 4;
    for (var i = 0; i < n; i++) {
      var r = p + 3 + i * 4;
      var x = HEAPU32[r], y = HEAPU32[r + 1], rw = HEAPU32[r + 2], rh = HEAPU32[r + 3];
      var bytes = rw * rh * 4;
      // ImageData cannot look into shared memory: slice() copies.
      ctx.putImageData(new ImageData(new Uint8ClampedArray(HEAPU8.slice(at, at + bytes).buffer), rw, rh), x, y);
      at += bytes;
    }
    _free(ptr);
    page.frames++;
    if (page.firstFrameMs === null) page.firstFrameMs = performance.now();
  };
  page.setTitle = function (title) { if (title) document.title = title; };
  page.messageBox = function (caption, text) { window.alert(caption + '\n\n' + text); };
  page.openTab = function (url) { window.open(url, '_blank', 'noopener'); };

  // ---- the state dump ------------------------------------------------------------------
  page.dumpState = function () {
    return new Promise(function (resolve) {
      page.dumpWaiters.push(resolve);
      _tolvaran_web_request_dump();
    });
  };
  page.dumpReady = function (json) {
    var waiters = page.dumpWaiters;
    page.dumpWaiters = [];
    waiters.forEach(function (w) { w(json); });
  };
  Module.dumpState = page.dumpState;

  // ---- sound ---------------------------------------------------------------------------
  var audio = page.audio = {
    ctx: null, master: null, next: {}, sources: {}, tuneBuffer: null, tuneSource: null,
    tuneWanted: false, muted: params.has('mute'),
    context: function () {
      if (!this.ctx) {
        var AC = window.AudioContext || window.webkitAudioContext;
        this.ctx = new AC({ sampleRate: 44100 });
        this.master = this.ctx.createGain();
        this.master.gain.value = this.muted ? 0 : 1;
        this.master.connect(this.ctx.destination);
        this.ctx.onstatechange = function () {
          if (audio.ctx.state === 'running' && page.ready && !page.headless && page.exitCode === null) page.setStatus('');
        };
      }
      return this.ctx;
    },
    // Browsers start sound only after the player has done something on the page.
    start: function () {
      var c = this.context();
      if (c.state !== 'running') c.resume();
    },
    state: function () { return this.ctx ? this.ctx.state : 'none'; },
    setMuted: function (m) {
      this.muted = m;
      if (this.master) this.master.gain.value = m ? 0 : 1;
    },
    queueWave: function (id, ptr, size, channels, rate, bits) {
      var c = this.context();
      var bytesPerFrame = channels * bits / 8;
      var frames = Math.floor(size / bytesPerFrame);
      // Until the player starts the sound, effects would only pile up and play at once.
      if (frames > 0 && c.state === 'running') {
        var buf = c.createBuffer(channels, frames, rate);
        for (var ch = 0; ch < channels; ch++) {
          var out = buf.getChannelData(ch);
          if (bits === 8) {
            for (var i = 0; i < frames; i++) out[i] = (HEAPU8[ptr + i * channels + ch] - 128) / 128;
          } else {
            var base = ptr >> 1;
            for (var j = 0; j < frames; j++) out[j] = HEAP16[base + j * channels + ch] / 32768;
          }
        }
        var src = c.createBufferSource();
        src.buffer = buf;
        src.connect(this.master);
        var t = Math.max(c.currentTime, this.next[id] || 0);
        src.start(t);
        this.next[id] = t + buf.duration;
        var set = this.sources[id] || (this.sources[id] = new Set());
        set.add(src);
        src.onended = function () { set.delete(src); };
      }
      _free(ptr);
    },
    stopWave: function (id) {
      var set = this.sources[id];
      if (set) set.forEach(function (s) { try { s.stop(); } catch (e) { /* not started */ } });
      delete this.sources[id];
      delete this.next[id];
    },
    forget: function (id) { delete this.next[id]; },
    // The tune rendered at build time (tune.wav in the data file), looped while the game's
    // MIDI stream plays.
    loadTune: function () {
      var self = this;
      var bytes;
      try { bytes = FS.readFile('/tune.wav'); } catch (e) { return; }
      this.context().decodeAudioData(bytes.slice().buffer).then(function (b) {
        self.tuneBuffer = b;
        self.updateTune();
      }, function () { /* no tune: silence, the game plays on */ });
    },
    tune: function (on) {
      this.tuneWanted = !!on;
      this.updateTune();
    },
    updateTune: function () {
      if (this.tuneWanted && !this.tuneSource && this.tuneBuffer) {
        var s = this.context().createBufferSource();
        s.buffer = this.tuneBuffer;
        s.loop = true;
        s.connect(this.master);
        s.start();
        this.tuneSource = s;
      } else if (!this.tuneWanted && this.tuneSource) {
        this.tuneSource.stop();
        this.tuneSource = null;
      }
    },
    stopAll: function () {
      var self = this;
      Object.keys(this.sources).forEach(function (id) { self.stopWave(id); });
      this.tune(false);
    },
  };

  // ---- input ---------------------------------------------------------------------------
  function toggleFullscreen() {
    var el = document.getElementById('stage');
    if (document.fullscreenElement) document.exitFullscreen();
    else if (el && el.requestFullscreen) el.requestFullscreen();
  }
  page.toggleFullscreen = toggleFullscreen;
  function key(e, down) {
    if (!page.headless) audio.start();
    if (e.code === 'F11') {  // the host's, as on the desktop: the game never sees it
      if (down && !e.repeat) toggleFullscreen();
      e.preventDefault();
      return;
    }
    if (!page.ready || page.headless || page.exitCode !== null) return;
    if (e.target && e.target.tagName === 'SELECT') return;
    if (ccall('tolvaran_web_key', 'number', ['string', 'number'], [e.code, down ? 1 : 0])) e.preventDefault();
  }
  // Windows mouse messages, at a point of the frame.
  var WM = { move: 0x200, down: 0x201, up: 0x202, dbl: 0x203, rdown: 0x204, rup: 0x205, wheel: 0x20A };
  function mouse(e, msg, wheel) {
    if (!page.ready || page.headless || page.exitCode !== null) return;
    var rect = canvas.getBoundingClientRect();
    var x = Math.floor((e.clientX - rect.left) * canvas.width / rect.width);
    var y = Math.floor((e.clientY - rect.top) * canvas.height / rect.height);
    _tolvaran_web_mouse(msg, x, y, wheel || 0);
  }

  // The standard gamepad layout, as SDL's game controller numbers buttons and axes.
  var PAD_BUTTONS = { 0: 0, 1: 1, 2: 2, 3: 3, 4: 9, 5: 10, 8: 4, 9: 6, 10: 7, 11: 8, 12: 11, 13: 12, 14: 13, 15: 14, 16: 5 };
  var PAD_TRIGGERS = { 6: 4, 7: 5 };  // analogue buttons that SDL reports as axes
  var pads = {};
  function pollPads() {
    if (page.ready && !page.headless && page.exitCode === null && navigator.getGamepads) {
      var seen = {};
      Array.prototype.forEach.call(navigator.getGamepads(), function (gp) {
        if (!gp || !gp.connected) return;
        seen[gp.index] = true;
        var last = pads[gp.index] || (pads[gp.index] = { buttons: {}, axes: {} });
        gp.buttons.forEach(function (b, i) {
          if (i in PAD_TRIGGERS) {
            var v = Math.round(b.value * 32767);
            if (last.axes['t' + i] !== v) { last.axes['t' + i] = v; _tolvaran_web_pad(gp.index, 1, PAD_TRIGGERS[i], v); }
          } else if (i in PAD_BUTTONS && last.buttons[i] !== b.pressed) {
            last.buttons[i] = b.pressed;
            _tolvaran_web_pad(gp.index, 0, PAD_BUTTONS[i], b.pressed ? 1 : 0);
          }
        });
        gp.axes.forEach(function (a, i) {
          if (i > 3) return;
          var v = Math.max(-32768, Math.min(32767, Math.round(a * 32767)));
          if (last.axes[i] !== v) { last.axes[i] = v; _tolvaran_web_pad(gp.index, 1, i, v); }
        });
      });
      Object.keys(pads).forEach(function (i) {
        if (!seen[i]) { delete pads[i]; _tolvaran_web_pad(+i, 2, 0, 0); }
      });
    }
    requestAnimationFrame(pollPads);
  }

  page.attach = function () {
    canvas = document.getElementById('screen');
    ctx = canvas.getContext('2d');
    window.addEventListener('resize', fit);
    window.addEventListener('keydown', function (e) { key(e, true); });
    window.addEventListener('keyup', function (e) { key(e, false); });
    window.addEventListener('blur', function () { if (page.ready && !page.headless) _tolvaran_web_blur(); });
    window.addEventListener('pointerdown', function () { if (!page.headless) audio.start(); });
    canvas.addEventListener('mousemove', function (e) { mouse(e, WM.move); });
    // The second press of a double click comes as the double-click message, as on the desktop.
    canvas.addEventListener('mousedown', function (e) {
      mouse(e, e.button === 2 ? WM.rdown : (e.detail === 2 ? WM.dbl : WM.down));
    });
    canvas.addEventListener('mouseup', function (e) { mouse(e, e.button === 2 ? WM.rup : WM.up); });
    canvas.addEventListener('contextmenu', function (e) { e.preventDefault(); });
    canvas.addEventListener('wheel', function (e) { mouse(e, WM.wheel, e.deltaY < 0 ? 120 : -120); e.preventDefault(); });
    fit();
    requestAnimationFrame(pollPads);
  };
  // Emscripten loads this script asynchronously: the page may or may not be parsed yet.
  // Its workers load it too, and have no page.
  if (typeof document !== 'undefined') {
    var start = function () {
      page.attach();
      if (Module.tolvaranShell) Module.tolvaranShell(page);
    };
    if (document.readyState === 'loading') document.addEventListener('DOMContentLoaded', start);
    else start();
  }
  return page;
})();
