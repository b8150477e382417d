// The home page's water: the saver's own code, compiled to WebAssembly, runs over a picture.
// This script only decodes pictures, sizes the canvas, hands pixels over and shows what comes
// back; the water, the drops, the timers' schedule and the mouse rule are the module's.

const DEFAULT_PICTURE = 'pool.jpg';
// A picture of the site's own folder, by file name alone.
const SITE_PICTURE = /^[A-Za-z0-9][A-Za-z0-9._-]{0,99}\.(png|bmp|jpe?g)$/i;
// A replay runs in slices of this many ticks, and gives the page back after this long.
const REPLAY_SLICE_TICKS = 64;
const REPLAY_SLICE_MS = 40;
// A resize restarts the water once the window has kept its size this long.
const RESIZE_SETTLE_MS = 150;
// How long the screen capture may take to deliver its first frame.
const CAPTURE_FRAME_MS = 5000;

const params = new URLSearchParams(location.search);
const canvas = document.getElementById('water');
const context = canvas.getContext('2d', { alpha: false });
const statusLine = document.getElementById('status');
const playButton = document.getElementById('play');

// ---- the module

class Water {
  constructor(exports) {
    this.calls = exports;
    this.width = 0;
    this.height = 0;
    this.pointer = 0;
    this.image = null;
  }

  text(pointer) {
    const bytes = new Uint8Array(this.calls.memory.buffer);
    let end = pointer >>> 0;
    while (bytes[end]) end++;
    return new TextDecoder().decode(bytes.subarray(pointer >>> 0, end));
  }

  get kernel() {
    return this.text(this.calls.vellumar_kernel());
  }

  // Room for a picture of width x height: false when the module cannot hold it.
  prepare(width, height) {
    this.image = null;
    this.pointer = this.calls.vellumar_prepare(width, height) >>> 0;
    [this.width, this.height] = this.pointer ? [width, height] : [0, 0];
    return this.pointer !== 0;
  }

  // Starts the water on canvas pixels of the prepared size.
  start(pixels, now) {
    new Uint8Array(this.calls.memory.buffer, this.pointer, pixels.length).set(pixels);
    return this.calls.vellumar_start(now) === 1;
  }

  advance(now) {
    return this.calls.vellumar_advance(now) === 1;
  }

  // The frame as canvas pixels. Growing memory replaces its buffer, and the view with it.
  frame() {
    if (!this.image || this.image.data.buffer !== this.calls.memory.buffer) {
      const pixels = new Uint8ClampedArray(this.calls.memory.buffer, this.pointer, this.width * this.height * 4);
      this.image = new ImageData(pixels, this.width, this.height);
    }
    return this.image;
  }

  // Sets the replay's tick list; the module's own message when it is not valid.
  setReplay(list) {
    const bytes = new TextEncoder().encode(list);
    const pointer = this.calls.vellumar_text(bytes.length) >>> 0;
    if (!pointer) return 'the tick list is too long';
    new Uint8Array(this.calls.memory.buffer, pointer, bytes.length).set(bytes);
    return this.calls.vellumar_set_replay() === 1 ? '' : this.text(this.calls.vellumar_message());
  }

  replayMore(ticks) {
    return this.calls.vellumar_replay_more(ticks) === 1;
  }

  get replayedFrames() {
    return this.calls.vellumar_replayed_frames();
  }

  get frameHash() {
    return this.text(this.calls.vellumar_frame_hash());
  }

  mouseMoveEnds(x, y) {
    return this.calls.vellumar_mouse_moved(x, y) === 1;
  }

  forgetMouse() {
    this.calls.vellumar_mouse_forget();
  }
}

// The SIMD module where the browser validates it, the plain one otherwise.
async function loadWater(allowSimd) {
  const names = allowSimd ? ['vellumar-simd.wasm', 'vellumar-plain.wasm'] : ['vellumar-plain.wasm'];
  for (const name of names) {
    const response = await fetch(name);
    if (!response.ok) throw new Error(`${name} did not load (${response.status})`);
    const bytes = await response.arrayBuffer();
    if (!WebAssembly.validate(bytes)) continue;
    const { instance } = await WebAssembly.instantiate(bytes, {
      env: { emscripten_notify_memory_growth() {} },
      wasi_snapshot_preview1: {
        proc_exit(code) {
          throw new Error(`the water stopped (${code})`);
        },
      },
    });
    instance.exports._initialize();
    return new Water(instance.exports);
  }
  throw new Error('this browser runs neither of the water modules');
}

// ---- pictures

// One line for the visitor; `kind` tells what a later success may clear.
function say(text, kind = '') {
  statusLine.textContent = text;
  statusLine.dataset.kind = kind;
}

function report(error) {
  say(`Something went wrong: ${error.message}`);
}

// A picture of the site's folder as the browser shows it (shared with the page's background).
async function sitePicture(name) {
  const image = new Image();
  image.src = name;
  await image.decode();
  return createImageBitmap(image);
}

// Canvas pixels of `bitmap` covering width x height, centred, as the page's background is.
function coverPixels(bitmap, width, height) {
  const scratch = document.createElement('canvas');
  scratch.width = width;
  scratch.height = height;
  const drawing = scratch.getContext('2d', { alpha: false, willReadFrequently: true });
  const scale = Math.max(width / bitmap.width, height / bitmap.height);
  const drawnWidth = bitmap.width * scale;
  const drawnHeight = bitmap.height * scale;
  drawing.imageSmoothingQuality = 'high';
  drawing.drawImage(bitmap, (width - drawnWidth) / 2, (height - drawnHeight) / 2, drawnWidth, drawnHeight);
  return drawing.getImageData(0, 0, width, height).data;
}

function showCanvas() {
  canvas.classList.add('shown');
}

// ---- the running water

const state = {
  water: null,
  picture: null, // the ImageBitmap the water runs on
  isDefault: true,
  playing: !matchMedia('(prefers-reduced-motion: reduce)').matches,
  frameRequest: 0,
  deviceSize: null, // the canvas in device pixels
  resizeTimer: 0,
  saver: null, // the desktop saver while it runs
  swallowClick: false,
};

function drawFrame() {
  context.putImageData(state.water.frame(), 0, 0);
}

function onAnimationFrame(now) {
  state.frameRequest = 0;
  if (state.water.advance(now)) drawFrame();
  requestFrames();
}

function requestFrames() {
  if (!state.frameRequest && state.playing && !document.hidden && state.water && state.water.width) {
    state.frameRequest = requestAnimationFrame(onAnimationFrame);
  }
}

function stopFrames() {
  cancelAnimationFrame(state.frameRequest);
  state.frameRequest = 0;
}

function canvasDeviceSize() {
  if (state.deviceSize) return state.deviceSize;
  const box = canvas.getBoundingClientRect();
  return { width: Math.round(box.width * devicePixelRatio), height: Math.round(box.height * devicePixelRatio) };
}

// Starts the water on the picture at the canvas's size; the canvas's first frame is the picture.
function startWater() {
  const { water, picture } = state;
  if (!water || !picture) return;
  stopFrames();
  const { width, height } = canvasDeviceSize();
  if (width < 1 || height < 1) return;
  if (!water.prepare(width, height) || !water.start(coverPixels(picture, width, height), performance.now())) {
    showStill(picture);
    say(`The water at ${width} × ${height} needs more memory than this browser gives the page: the picture stays still.`, 'memory');
    return;
  }
  if (statusLine.dataset.kind === 'memory') say('');
  canvas.width = width;
  canvas.height = height;
  drawFrame();
  showCanvas();
  requestFrames();
}

// The picture without water, at the window's own pixels: what can be shown when the water cannot.
function showStill(picture) {
  const box = canvas.getBoundingClientRect();
  const width = Math.max(1, Math.round(box.width));
  const height = Math.max(1, Math.round(box.height));
  canvas.width = width;
  canvas.height = height;
  context.putImageData(new ImageData(coverPixels(picture, width, height), width, height), 0, 0);
  showCanvas();
}

function showPicture(bitmap, isDefault) {
  state.picture = bitmap;
  state.isDefault = isDefault;
  startWater();
}

async function showDefaultPicture(message) {
  say(message);
  // The pool's water, if it runs already, goes on.
  if (state.isDefault && state.picture) return;
  showPicture(await sitePicture(DEFAULT_PICTURE), true);
}

async function showFile(file) {
  try {
    const bitmap = await createImageBitmap(file);
    say('');
    showPicture(bitmap, false);
  } catch {
    await showDefaultPicture(`“${file.name}” is not a picture this browser can read: here is the pool instead.`);
  }
}

// The water starts again at the canvas's new size once the window has kept it a moment; until
// then the canvas is stretched. The full screen of the saver starts at once.
function sizeChanged(size) {
  state.deviceSize = size;
  const { water } = state;
  const current = canvasDeviceSize();
  if (!water || !state.picture || (current.width === water.width && current.height === water.height)) return;
  clearTimeout(state.resizeTimer);
  state.resizeTimer = setTimeout(startWater, state.saver ? 0 : RESIZE_SETTLE_MS);
}

function watchSize() {
  const observer = new ResizeObserver(entries => {
    const entry = entries[entries.length - 1];
    const estimate = {
      width: Math.round(entry.contentRect.width * devicePixelRatio),
      height: Math.round(entry.contentRect.height * devicePixelRatio),
    };
    // The exact device pixels where the browser tells them, unless they disagree with the pixel
    // ratio by more than its rounding (an emulated ratio).
    const box = entry.devicePixelContentBoxSize && entry.devicePixelContentBoxSize[0];
    const exact =
      box && Math.abs(box.inlineSize - estimate.width) <= 1 && Math.abs(box.blockSize - estimate.height) <= 1;
    sizeChanged(exact ? { width: box.inlineSize, height: box.blockSize } : estimate);
  });
  try {
    observer.observe(canvas, { box: 'device-pixel-content-box' });
  } catch {
    observer.observe(canvas);
  }
  watchPixelRatio();
}

// A new pixel ratio (zoom, another screen) changes the device pixels, with or without the layout.
function watchPixelRatio() {
  matchMedia(`(resolution: ${devicePixelRatio}dppx)`).addEventListener(
    'change',
    () => {
      sizeChanged(null);
      watchPixelRatio();
    },
    { once: true },
  );
}

// ---- the desktop under water: the saver, full screen, ending on its own rules

async function oneFrameOf(stream) {
  const video = document.createElement('video');
  video.muted = true;
  video.srcObject = stream;
  await video.play();
  await new Promise((resolve, reject) => {
    const timer = setTimeout(() => reject(new Error('no frame')), CAPTURE_FRAME_MS);
    const arrived = () => {
      clearTimeout(timer);
      resolve();
    };
    if (video.requestVideoFrameCallback) video.requestVideoFrameCallback(arrived);
    else if (video.readyState >= 2) arrived();
    else video.addEventListener('loadeddata', arrived, { once: true });
  });
  if (!video.videoWidth || !video.videoHeight) throw new Error('no frame');
  return createImageBitmap(video);
}

async function showDesktop() {
  if (state.saver) return;
  if (!navigator.mediaDevices || !navigator.mediaDevices.getDisplayMedia) {
    return showDefaultPicture('This browser does not offer to capture the screen: here is the pool instead.');
  }
  if (!document.documentElement.requestFullscreen) {
    return showDefaultPicture('This browser cannot show a page full screen: here is the pool instead.');
  }
  let stream;
  try {
    stream = await navigator.mediaDevices.getDisplayMedia({ video: { displaySurface: 'monitor' }, audio: false });
  } catch (error) {
    const refused = error && error.name === 'NotAllowedError';
    return showDefaultPicture(
      refused
        ? 'The screen capture was refused: here is the pool instead.'
        : 'The screen could not be captured: here is the pool instead.',
    );
  }
  let desktop;
  try {
    desktop = await oneFrameOf(stream);
  } catch {
    return showDefaultPicture('The screen capture gave no picture: here is the pool instead.');
  } finally {
    for (const track of stream.getTracks()) track.stop();
  }
  startSaver(desktop);
}

const saverEnds = {
  keydown: () => endSaver(),
  // The left, middle and right buttons; not the wheel nor further buttons. The press's click
  // lands on the page once the saver has ended: it must not act there.
  mousedown: event => {
    if (event.button > 2) return;
    state.swallowClick = true;
    endSaver();
  },
  mousemove: event => {
    if (state.water.mouseMoveEnds(Math.round(event.clientX), Math.round(event.clientY))) endSaver();
  },
};

function startSaver(desktop) {
  state.saver = { desktop, before: { picture: state.picture, isDefault: state.isDefault }, armed: false };
  // A key that ends the saver must not press the button that started it.
  if (document.activeElement) document.activeElement.blur();
  document.body.classList.add('saver');
  say('');
  document.documentElement.requestFullscreen({ navigationUI: 'hide' }).catch(() => {
    // The capture's dialog used up the click that allows full screen: one more click, or a
    // key to give up.
    document.body.classList.add('saver-asks');
    const answered = event => {
      document.removeEventListener('click', answered, true);
      document.removeEventListener('keydown', answered, true);
      document.body.classList.remove('saver-asks');
      if (event.type === 'click') document.documentElement.requestFullscreen({ navigationUI: 'hide' }).catch(() => endSaver());
      else endSaver();
    };
    document.addEventListener('click', answered, true);
    document.addEventListener('keydown', answered, true);
  });
}

function onFullscreenChange() {
  const saver = state.saver;
  if (!saver) return;
  if (document.fullscreenElement && !saver.armed) {
    saver.armed = true;
    state.water.forgetMouse();
    for (const [type, handler] of Object.entries(saverEnds)) document.addEventListener(type, handler, true);
    state.playing = true;
    updatePlayButton();
    // The canvas changes size with the screen; its resize starts the water on the desktop.
    state.picture = saver.desktop;
    state.isDefault = false;
    startWater();
  } else if (!document.fullscreenElement) {
    endSaver();
  }
}

function endSaver() {
  const saver = state.saver;
  if (!saver) return;
  state.saver = null;
  for (const [type, handler] of Object.entries(saverEnds)) document.removeEventListener(type, handler, true);
  document.body.classList.remove('saver', 'saver-asks');
  if (document.fullscreenElement) document.exitFullscreen().catch(() => {});
  state.picture = saver.before.picture;
  state.isDefault = saver.before.isDefault;
  startWater();
}

// ---- controls

function updatePlayButton() {
  playButton.textContent = state.playing ? 'Pause' : 'Start the water';
  playButton.setAttribute('aria-pressed', String(!state.playing));
}

function wireControls() {
  playButton.addEventListener('click', () => {
    state.playing = !state.playing;
    updatePlayButton();
    if (state.playing) requestFrames();
    else stopFrames();
  });
  document.getElementById('desktop').addEventListener('click', () => showDesktop().catch(report));
  const input = document.getElementById('file');
  input.addEventListener('change', () => {
    if (input.files.length) showFile(input.files[0]).catch(report);
    input.value = '';
  });
  document.addEventListener('dragover', event => {
    if (event.dataTransfer && [...event.dataTransfer.types].includes('Files')) {
      event.preventDefault();
      event.dataTransfer.dropEffect = 'copy';
    }
  });
  document.addEventListener('drop', event => {
    const file = event.dataTransfer && event.dataTransfer.files[0];
    if (!file) return;
    event.preventDefault();
    showFile(file).catch(report);
  });
  document.addEventListener('visibilitychange', () => {
    if (document.hidden) {
      stopFrames();
      endSaver();
    } else {
      requestFrames();
    }
  });
  // Another window taking over ends the saver, once it runs full screen.
  window.addEventListener('blur', () => {
    if (state.saver && state.saver.armed) endSaver();
  });
  document.addEventListener('fullscreenchange', onFullscreenChange);
  document.addEventListener(
    'click',
    event => {
      if (!state.swallowClick) return;
      state.swallowClick = false;
      event.preventDefault();
      event.stopPropagation();
    },
    true,
  );
  // A press whose click never came (released elsewhere) swallows nothing later.
  document.addEventListener('mousedown', () => (state.swallowClick = false), true);
  updatePlayButton();
}

// ---- test mode: ?replay=TICKS&picture=NAME[&simd=0]

async function replay(water, list, name) {
  const result = document.createElement('p');
  result.id = 'replay-result';
  result.dataset.module = water.kernel;
  document.body.append(result);
  try {
    if (!SITE_PICTURE.test(name)) throw new Error('picture= takes the name of a PNG, BMP or JPEG file of this site');
    const refused = water.setReplay(list);
    if (refused) throw new Error(refused);
    const response = await fetch(name);
    if (!response.ok) throw new Error(`${name}: ${response.status}`);
    // The file's own pixels, at its own size: the replay tool sees the same.
    const bitmap = await createImageBitmap(await response.blob(), {
      colorSpaceConversion: 'none',
      premultiplyAlpha: 'none',
    }).catch(() => {
      throw new Error(`${name} is not a picture this browser can read`);
    });
    const { width, height } = bitmap;
    if (!water.prepare(width, height) || !water.start(coverPixels(bitmap, width, height), 0)) {
      throw new Error(`the water at ${width}x${height} does not fit this browser's memory`);
    }
    canvas.width = width;
    canvas.height = height;
    canvas.classList.add('replay');
    let busyMs = 0;
    for (;;) {
      const sliceStart = performance.now();
      let done = false;
      while (!done && performance.now() - sliceStart < REPLAY_SLICE_MS) done = water.replayMore(REPLAY_SLICE_TICKS);
      busyMs += performance.now() - sliceStart;
      if (done) break;
      result.textContent = `replaying: ${water.replayedFrames} frames`;
      await new Promise(resolve => setTimeout(resolve, 0));
    }
    context.putImageData(water.frame(), 0, 0);
    showCanvas();
    result.dataset.frames = String(water.replayedFrames);
    result.dataset.ms = busyMs.toFixed(1);
    result.textContent = `${width}x${height} ${water.frameHash}`;
  } catch (error) {
    result.textContent = `error: ${error.message}`;
  }
}

// ---- start

async function main() {
  let water;
  try {
    water = await loadWater(params.get('simd') !== '0' && typeof WebAssembly === 'object');
  } catch (error) {
    say(`The water cannot run in this browser (${error.message}): the picture stays still.`);
    return;
  }
  state.water = water;
  document.documentElement.dataset.module = water.kernel;
  if (params.has('replay')) return replay(water, params.get('replay'), params.get('picture') || '');

  wireControls();
  watchSize();
  if (!state.playing) say('Still, as your system asks for less motion: “Start the water” sets it going.');
  const name = params.get('picture');
  if (name && name !== DEFAULT_PICTURE) {
    if (!SITE_PICTURE.test(name)) return showDefaultPicture('picture= takes the name of a picture of this site.');
    try {
      return showPicture(await sitePicture(name), false);
    } catch {
      return showDefaultPicture(`“${name}” is not a picture this browser can read: here is the pool instead.`);
    }
  }
  showPicture(await sitePicture(DEFAULT_PICTURE), true);
}

main().catch(report);
