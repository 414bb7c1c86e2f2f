/*
 * Tessarine browser runtime: non-visual components (timers, image lists).
 */
(function (core) {
  'use strict';

  const { define, num, enqueue, dropQueued } = core;

  // ------------------------------------------------------------ non-visual

  function timerRestart(c) {
    clearTimeout(c.tid);
    c.tid = 0;
    // A tick still waiting for the request in flight came due under the
    // setting this change replaces; sent now, the server would run it as
    // if the new interval had passed (a display frame would skip an item).
    dropQueued('timer', c.id);
    const iv = num(c.p.interval, 1000);
    if (core.terminated() || c.p.enabled === false || !(iv > 0)) return;
    // The next tick is counted from this one, not from the answer: a slow
    // server must not stretch the display's timing.
    const tick = () => {
      const next = num(c.p.interval, 1000);
      c.tid = next > 0 ? setTimeout(tick, next) : 0;
      enqueue({ t: 'timer', c: c.id });
    };
    c.tid = setTimeout(tick, iv);
  }

  define('TUniTimer', {
    props: ['interval'],
    update: function (c, key) { if (key == null || key === 'enabled' || key === 'interval') timerRestart(c); }
  });

  define('TUniImageList', { props: ['images'] });
  define('TUniNativeImageList', { props: ['images'] });
})(window.Tess.core);
