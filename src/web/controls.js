'use strict';
// What a person does with the picture: pause and play it (the button, Space, a tap or click on
// the scene), take it full screen (the button, F), share the moment it holds, and have the text
// and buttons step aside while it plays. The build writes it into index.html between page.js and
// program.js, which hands offerControls the way to tell the program and takes these names:
/* exported playState, offerControls, heldAt */
/* global pinned, canvas, element */
// Without input for this long while the scene plays, the text and buttons fade out.
const IDLE_MS = 3000;
const lessMotion = matchMedia('(prefers-reduced-motion: reduce)');
// A shared moment opens paused on it, as does the page for a reader who asked for less motion.
// `heldAt` is the time of the picture a paused program holds, in seconds.
const playState = {
  playing: !pinned && !new URLSearchParams(location.search).has('at') && !lessMotion.matches,
  heldAt: 0,
};
let idleTimer = 0;

// Paused, the program says the time of the picture it holds: the moment to share.
/** @param {number} seconds */
function heldAt(seconds) {
  playState.heldAt = seconds;
  element('share').hidden = playState.playing;
}

// Shown now; faded out after IDLE_MS unless paused, or later while loading or saying something.
function wake() {
  const page = document.documentElement;
  page.classList.remove('idle');
  clearTimeout(idleTimer);
  idleTimer = setTimeout(() => {
    if (!element('loading').hidden || !element('message').hidden) wake();
    else if (playState.playing) page.classList.add('idle');
  }, IDLE_MS);
}

// The Pause and Play button and a tap or click on the scene; the toggle, for Space too.
/** @param {(playing: boolean) => void} tell the program, wherever it runs */
function playControl(tell) {
  const button = element('play');
  /** @param {boolean} playing */
  const set = (playing) => {
    playState.playing = playing;
    button.textContent = playing ? 'Pause' : 'Play';
    Object.assign(element('share'), { hidden: true, textContent: 'Share this moment' });
    element('link').hidden = true;
    tell(playing);
    wake();
  };
  button.hidden = false;
  set(playState.playing);
  const toggle = () => set(!playState.playing);
  button.addEventListener('click', toggle);
  canvas.addEventListener('click', toggle);
  // A reader who asks for less motion while it plays has it stopped.
  lessMotion.addEventListener('change', () => {
    if (lessMotion.matches && playState.playing) set(false);
  });
  return toggle;
}

// Where the Fullscreen API is missing (an iPhone's browsers), the control stays hidden.
function fullscreenControl() {
  const button = element('fullscreen');
  const page = document.documentElement;
  if (!document.fullscreenEnabled || !page.requestFullscreen) return () => {};
  const toggle = () => {
    if (document.fullscreenElement) document.exitFullscreen();
    else page.requestFullscreen().catch(() => {});
  };
  button.hidden = false;
  button.addEventListener('click', toggle);
  document.addEventListener('fullscreenchange', () => {
    button.textContent = document.fullscreenElement ? 'Leave full screen' : 'Full screen';
  });
  return toggle;
}

// The page's address at the held moment, to the phone's share sheet where there is one; else
// copied, and shown selected for copying by hand where the clipboard is refused.
function shareControl() {
  const button = element('share');
  const link = /** @type {HTMLInputElement} */ (element('link'));
  button.addEventListener('click', () => {
    const address = new URL(location.pathname, location.href);
    address.search = `?at=${playState.heldAt.toFixed(3)}`;
    link.value = address.href;
    link.hidden = false;
    link.select();
    if (navigator.share) {
      navigator.share({ title: document.title, url: link.value }).catch(() => {});
    } else {
      navigator.clipboard?.writeText(link.value).then(() => { button.textContent = 'Link copied'; },
        () => {});
    }
  });
}

// Space and F act unless a control has the key; any key, touch or pointer move wakes the controls.
/** @param {(playing: boolean) => void} tell the program, wherever it runs */
function offerControls(tell) {
  if (pinned) return;
  const [togglePlay, toggleFullscreen] = [playControl(tell), fullscreenControl()];
  shareControl();
  document.addEventListener('keydown', (event) => {
    wake();
    const control = event.target instanceof HTMLButtonElement ||
      event.target instanceof HTMLInputElement;
    if (control || event.repeat || event.ctrlKey || event.altKey || event.metaKey) return;
    if (event.key === ' ') {
      event.preventDefault();
      togglePlay();
    } else if (event.key === 'f' || event.key === 'F') {
      toggleFullscreen();
    }
  });
  for (const type of ['pointermove', 'pointerdown', 'touchstart']) {
    document.addEventListener(type, wake, { passive: true });
  }
}
