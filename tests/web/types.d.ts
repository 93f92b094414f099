// The names the browser checks share, for TypeScript's checker (tsconfig.node.json). An engine's
// automation that cannot do a thing has null for it; `page` is Chromium's.
interface Engine {
  name: string; page: import('puppeteer-core').Page | null;
  goto(url: string): Promise<boolean>; evaluate(expression: string): Promise<any>;
  screenshot(): Promise<Buffer>; hide(): Promise<void>; show(): Promise<unknown>;
  resize(width: number, height: number, ratio?: number, mobile?: boolean): Promise<void>;
  beforeScripts: ((source: string) => Promise<() => Promise<void>>) | null;
  setFrozen: ((frozen: boolean) => Promise<void>) | null; close(): Promise<unknown>;
}
type Results = Array<[said: string, ok: boolean]>;
type Served = Awaited<ReturnType<typeof import('./site.mjs').host>>;
type Scenario = (engine: Engine, served: Served, results: Results) => Promise<any>;
